#pragma once

// What the tests of graph building, several audio streams and extraction
// share: a player with its hooks, media run to their end, the chooser and
// the message boxes answered as a user would, files read back by GStreamer.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graph/filter_chooser.h"
#include "graph/graph_state.h"
#include "graph/open_media.h"
#include "platform/engine/filter_graph.h"
#include "platform/registry/registry.h"
#include "playback/player_session.h"
#include "tests/app/qt_support.h"
#include "tests/support/fake_ui.h"
#include "tests/support/player_state.h"
#include "tests/support/temp_dir.h"

namespace quova::testing {

// Takes the graph's events until the medium has ended, marking it complete
// the way the window's event handling does.
inline bool RunToEnd(PlayerSession& session, int ms = 30000) {
    GraphSession& g = session.graph;
    return WaitUntil(
        [&] {
            if (!g.GraphBuilder) return false;
            g.GraphBuilder->DrainBus();
            while (true) {
                const auto e = g.GraphBuilder->Events().Take();
                if (!e.ok()) break;
                if (e.value.code == engine::EC_COMPLETE) g.MediaComplete = true;
                // As the player's event handling does: an error ends the medium too.
                if (e.value.code == engine::EC_ERRORABORT) {
                    g.MediaComplete = true;
                    g.MediaError = static_cast<engine::HResult>(e.value.param1);
                }
            }
            return g.MediaComplete;
        },
        ms);
}

// What the chooser showed, each time it came up.
struct ChooserSeen {
    std::string title;
    std::string label;
    std::vector<std::string> entries;
    bool defaultBoxShown = false;
    bool skipShown = false;
};

// Answers every modal window while it lives: the chooser through `chooser`
// (given what it shows, it acts on the dialog), message boxes through
// `box` (given the text; returns the button), any other dialog (a settings
// page) with its OK button.
class Answerer : public QObject {
  public:
    using ChooserAct = std::function<void(const ChooserSeen&, TQuovaAddFilt&)>;
    using BoxAct = std::function<QMessageBox::StandardButton(const std::string&)>;

    Answerer(ChooserAct chooser, BoxAct box = {})
        : chooser_(std::move(chooser)), box_(std::move(box)) {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] { Act(); });
        timer_.start();
    }

    std::vector<ChooserSeen> choosers;
    std::vector<std::string> boxes;
    int pages = 0;

  private:
    void Act() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == handled_) return;
        handled_ = modal;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            boxes.push_back(box->text().toStdString());
            const auto answer = box_ ? box_(boxes.back()) : QMessageBox::Ok;
            QAbstractButton* b = box->button(answer);
            if (!b) b = box->button(QMessageBox::Ok);
            b ? b->click() : box->reject();
        } else if (auto* chooser = qobject_cast<TQuovaAddFilt*>(modal)) {
            ChooserSeen seen;
            seen.title = chooser->windowTitle().toStdString();
            seen.label = chooser->Label1->text().toStdString();
            for (int i = 0; i < chooser->ListBox1->count(); ++i)
                seen.entries.push_back(chooser->ListBox1->item(i)->text().toStdString());
            seen.defaultBoxShown = !chooser->CheckBox1->isHidden();
            seen.skipShown = !chooser->Button3->isHidden();
            choosers.push_back(seen);
            if (chooser_)
                chooser_(seen, *chooser);
            else
                chooser->reject();
        } else {
            ++pages;
            for (auto* b : modal->findChildren<QPushButton*>())
                if (b->text().remove('&') == "OK") {
                    b->click();
                    break;
                }
        }
        // The same window may come up again (the chooser is kept).
        QTimer::singleShot(0, this, [this] { handled_ = nullptr; });
    }

    ChooserAct chooser_;
    BoxAct box_;
    QTimer timer_;
    QWidget* handled_ = nullptr;
};

// Selects the entry of that name and presses the button.
inline void Choose(TQuovaAddFilt& chooser, const std::string& name, QPushButton* button) {
    const auto found = chooser.ListBox1->findItems(QString::fromStdString(name), Qt::MatchExactly);
    if (!found.isEmpty()) {
        chooser.ListBox1->setCurrentItem(found.front());
        found.front()->setSelected(true);
    }
    button->click();
}

// gst-discoverer-1.0's account of a file ("" when it could not be run).
inline std::string Discover(const std::filesystem::path& file) {
    const std::string command = "gst-discoverer-1.0 -t 60 '" + file.string() + "' 2>&1";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        ::pclose(pipe);
    }
    return out;
}

// The duration gst-discoverer-1.0 found (seconds), -1 when it told none.
inline double DiscoveredSeconds(const std::string& account) {
    const size_t at = account.find("Duration: ");
    int h = 0, m = 0;
    double sec = 0;
    if (at == std::string::npos ||
        std::sscanf(account.c_str() + at, "Duration: %d:%d:%lf", &h, &m, &sec) != 3)
        return -1;
    return h * 3600 + m * 60 + sec;
}

// A player for the tests: a window side that records, a registry of its
// own, every option off.
class PlayerTest : public ::testing::Test {
  public:
    PlayerSession session;

  protected:
    void SetUp() override {
        App();
        registry::SetStorePath(dir_ / "registry.reg");
        ResetPlayerState(session, Startup::Done);
    }
    void TearDown() override {
        // The chooser is kept between uses; the next test starts with a new one.
        ReleaseFilterChooser();
        ReleaseGraph(session);
        ResetPlayerState(session);
        registry::SetStorePath({});
    }

    FakeUi ui_{session};
    TempDir dir_;
};

}  // namespace quova::testing
