#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QFrame;

namespace quova {

struct PlayerSession;

// The home page the About box links to.
inline constexpr const char* kHomePage = "https://quova.dorvane.net/";
inline constexpr const char* kDownloadPage = "https://quova.dorvane.net/download/";

// The About box, which also serves as the start-up splash: shown without
// blocking while the program starts, its timer drives the start-up and its
// closing makes the program ready to open media.
class TQuovaAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TQuovaAboutBox(PlayerSession& session, QWidget* parent = nullptr);

    QPushButton* okButton() const { return okButton_; }
    QTimer* timer() const { return timer_; }
    QLabel* productName() const { return productName_; }

    // Shows the box modally, ModalDialogOpen set meanwhile (About...).
    void ShowModal();

  Q_SIGNALS:
    // The splash timer's tick (every 333 ms while it runs).
    void SplashTick();

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SetLinkLook(QLabel* label, bool hot);

    PlayerSession& session_;

    QFrame* panel_;
    QLabel* productName_;
    QLabel* url_;
    QLabel* url2_;
    QPlainTextEdit* memo_;
    QPushButton* okButton_;
    QTimer* timer_;
};

}  // namespace quova
