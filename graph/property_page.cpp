#include "graph/property_page.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "graph/message_box.h"

namespace quova {

namespace {

class PropertyPage : public QDialog {
  public:
    PropertyPage(QWidget* owner, engine::FilterPtr filter)
        : QDialog(owner), filter_(std::move(filter)) {
        setObjectName("PropertyPage");
        setWindowTitle(QString::fromStdString(filter_->Name()));
        auto* layout = new QVBoxLayout(this);
        table_ = new QTableWidget(this);
        table_->setObjectName("Properties");
        table_->setColumnCount(2);
        table_->setHorizontalHeaderLabels({"Setting", "Value"});
        table_->horizontalHeader()->setStretchLastSection(true);
        table_->verticalHeader()->hide();
        layout->addWidget(table_);
        auto* buttons = new QDialogButtonBox(
            QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(buttons, &QDialogButtonBox::accepted, this, [this] {
            if (Apply()) accept();
        });
        connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
                [this] { Apply(); });
        Fill();
        resize(480, 360);
    }

  private:
    void Fill() {
        properties_ = filter_->Properties();
        table_->setRowCount(static_cast<int>(properties_.size()));
        for (int row = 0; row < static_cast<int>(properties_.size()); ++row) {
            const engine::FilterProperty& p = properties_[row];
            auto* name = new QTableWidgetItem(QString::fromStdString(p.name));
            name->setFlags(Qt::ItemIsEnabled);
            const QString tip = QString::fromStdString(p.description + " (" + p.typeName + ")");
            name->setToolTip(tip);
            auto* value = new QTableWidgetItem(QString::fromStdString(p.value));
            value->setToolTip(tip);
            value->setFlags(p.writable
                                ? Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsSelectable
                                : Qt::ItemIsEnabled);
            table_->setItem(row, 0, name);
            table_->setItem(row, 1, value);
        }
    }

    // Hands every changed value over; false when the filter refused one.
    bool Apply() {
        for (int row = 0; row < static_cast<int>(properties_.size()); ++row) {
            const engine::FilterProperty& p = properties_[row];
            const std::string value = table_->item(row, 1)->text().toStdString();
            if (!p.writable || value == p.value) continue;
            const engine::HResult hr = filter_->SetProperty(p.name, value);
            if (engine::Failed(hr)) {
                ShowMessage(p.name + " = " + value + "\n" + ResultText(hr), MbIconExclamation);
                return false;
            }
        }
        Fill();
        return true;
    }

    engine::FilterPtr filter_;
    QTableWidget* table_;
    std::vector<engine::FilterProperty> properties_;
};

}  // namespace

void ShowFilterPropertyPage(QWidget* owner, const engine::FilterPtr& filter) {
    if (!filter) return;
    PropertyPage page(owner, filter);
    ModalDialogScope modal;
    page.exec();
}

}  // namespace quova
