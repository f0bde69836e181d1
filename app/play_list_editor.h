#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QListWidget;
class QPushButton;

namespace quova {

// The play-list editor: the list on the left, a column of buttons on the
// right. OK hands the entries back with no selection (playing starts at the
// first or a random entry); a double click hands them back with the clicked
// entry selected. Cancel keeps the play list as it was.
class TQuovaLEdit : public QDialog {
    Q_OBJECT
  public:
    explicit TQuovaLEdit(QWidget* parent = nullptr);

    void SetEntries(const std::vector<std::string>& entries, int selected);
    std::vector<std::string> Entries() const;
    // The selected row, -1 for none.
    int Selection() const;

    // The buttons' actions, also reachable without the buttons.
    void Add(const std::vector<std::string>& names);
    void RemoveSelected();
    void MoveUp();
    void MoveDown();
    void Clear();
    // Writes or replaces the entries with a list file; a failure is reported
    // in a message box naming the file, and the entries stay.
    bool SaveTo(const std::string& fileName);
    bool LoadFrom(const std::string& fileName);

    QListWidget* listBox() const { return listBox_; }
    QPushButton* button(int n) const;
    QCheckBox* sortedBox() const { return sorted_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void AddClick();
    void SaveClick();
    void LoadClick();
    void OkClick();
    void Sort();
    void Layout();

    QListWidget* listBox_;
    QPushButton* buttons_[9] = {};
    QCheckBox* sorted_;
};

}  // namespace quova
