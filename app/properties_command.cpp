#include "app/properties_command.h"

#include <QPushButton>
#include <algorithm>

#include "app/text_dialog.h"
#include "graph/filter_commands.h"
#include "graph/filter_list.h"
#include "graph/graph_state.h"
#include "mediainfo/media_properties.h"
#include "playback/dvd_navigation.h"
#include "playback/player_session.h"
#include "text/osd.h"

namespace quova {

void AVIInfo1Click(PlayerSession& session) {
    const GraphSession& g = session.graph;
    if (!g.AviInfoText.empty()) ShowTextDialog(g.AviInfoText, "AVI Info");
    if (!g.OggInfoText.empty()) ShowTextDialog(g.OggInfoText, "OGG Info");
}

void Properties1Click(PlayerSession& session, QWidget* owner) {
    const GraphSession& g = session.graph;
    if (g.MediaKind == MediaKindNone) return;
    PropertiesInputs in;
    in.MediaKind = g.MediaKind;
    for (const StreamRow& row : g.Streams) in.Rows.push_back({row.kind, row.index});
    in.VideoStreamCount = g.VideoStreamCount;
    in.AudioStreamCount = g.AudioStreamCount;
    in.VideoWidth = g.VideoWidth;
    in.VideoHeight = g.VideoHeight;
    in.FrameRate = g.FrameRate;
    in.Duration = g.Duration;
    in.DurationText = FormatSeconds(g.Duration);
    in.Figures = g.Figures;
    if (g.MediaKind == MediaKindDvd) {
        const DvdPlayState& disc = session.dvd;
        in.DvdInfo = static_cast<bool>(g.DvdInfo);
        in.DvdAudioCount = static_cast<int>(disc.DvdAudioCount);
        in.DvdEnabledAudioCount = static_cast<int>(disc.DvdEnabledAudioCount);
        // The attributes read at the open are the first-play domain's, which
        // often has no picture yet; the title now playing has its own.
        engine::DVD_VideoAttributes video = g.DvdVideoAttributes;
        if (g.DvdInfo) {
            const auto current = g.DvdInfo->GetCurrentVideoAttributes();
            if (current.ok() && current.value.ulSourceResolutionX > 0) video = current.value;
        }
        in.DvdWidth = static_cast<int>(video.ulSourceResolutionX);
        in.DvdHeight = static_cast<int>(video.ulSourceResolutionY);
    }
    const FilterListing listing = ListGraphFilters(g.GraphBuilder.get(), "");
    in.FilterCount = g.GraphBuilder ? static_cast<int>(g.GraphBuilder->Filters().size()) : 0;
    in.FilterList = listing.text;

    TOKBottomDlg& dialog = TextDialog();
    const std::size_t buttons =
        std::min<std::size_t>(listing.withPages.size(), static_cast<std::size_t>(kFilterButtons));
    for (std::size_t i = 0; i < buttons; ++i) {
        QPushButton* button = dialog.SideButton(static_cast<int>(i) + 1);
        button->setText(QString::fromStdString(listing.withPages[i]));
        button->show();
    }
    // The dialog is shared with the other texts: its buttons mean a filter
    // only while this one is up.
    QObject scope;
    QObject::connect(&dialog, &TOKBottomDlg::sideButtonPressed, &scope,
                     [owner, &session](const QString& caption) {
                         Filter2Click(session, caption.toStdString(), owner);
                     });
    ShowTextDialog(MediaPropertiesText(in), "Media Properties");
}

}  // namespace quova
