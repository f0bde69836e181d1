#include "app/movie_configs.h"

#include <QLocale>
#include <exception>
#include <filesystem>

#include "app/settings.h"
#include "graph/graph_state.h"
#include "graph/message_box.h"
#include "playback/player_session.h"
#include "text/movie_config.h"
#include "text/movie_settings.h"
#include "text/subtitle_display.h"
#include "text/subtitle_timetable.h"

namespace quova {

namespace {

std::string FullPath(const std::string& name) {
    std::error_code ec;
    const auto full = std::filesystem::absolute(name, ec);
    return ec ? name : full.string();
}

}  // namespace

void ReadConfigs(PlayerSession& session, const std::string& movieName, MovieConfigHost& window) {
    try {
        const auto file = FindMovieSettingsFile(FullPath(movieName));
        if (!file) return;
        const auto profile = ProfileFile::Load(*file);
        if (!profile) return;
        const auto lines = profile->SectionLines("CONFIG");
        if (lines.empty()) return;

        Settings& s = AppSettings();
        GraphSession& g = session.graph;
        SubtitleTimetable& t = session.subtitles;
        MovieConfig c;
        c.AlwaysOnTop = s.AlwaysOnTop;
        c.ChaptersOnSubtitles = s.ChaptersOnSubtitles;
        c.FontName = s.Font.name;
        c.FontHeight = s.Font.height;
        c.FontBold = s.Font.bold;
        c.FontItalic = s.Font.italic;
        c.FontUnderline = s.Font.underline;
        c.LoopOn = s.LoopOn;
        c.OsdOn = s.OsdOn;
        c.ResizeToMedia = s.ResizeToMedia;
        c.SubtitlesOn = s.SubtitlesOn;
        c.SubtitleSounds = s.SubtitleSounds;
        c.SubtitlesOverMovie = s.SubtitlesOverMovie;
        c.TimeFormat = s.TimeFormat;
        c.VideoWidth = g.VideoWidth;
        c.SourceWidth = g.SourceWidth;
        c.VideoHeight = g.VideoHeight;
        c.SourceHeight = g.SourceHeight;
        std::tie(c.CropX, c.CropY) = window.Crop();
        c.Aspect = window.Aspect();
        c.SubtitleOffset = t.SubtitleOffset;
        c.SubtitleSpeed = t.SubtitleSpeed;
        c.ZoomToWindow = s.ZoomToWindow;
        c.ZoomFactor = s.ZoomFactor;
        c.SubtitleBoxOffsetY = session.subtitleBoxOffsetY;
        c.FullScreenMode = s.FullScreenMode;

        const QString separator = QLocale().decimalPoint();
        const char decimal = separator == "," ? ',' : '.';
        const MovieConfigChanges changes = ApplyMovieConfig(lines, c, decimal);

        // These values are the movie's, not the user's: they are not saved.
        s.SaveOnExit = false;
        window.SaveOnExitDisabled();
        s.AlwaysOnTop = c.AlwaysOnTop;
        s.ChaptersOnSubtitles = c.ChaptersOnSubtitles;
        s.Font.name = c.FontName;
        s.Font.height = c.FontHeight;
        s.Font.bold = c.FontBold;
        s.Font.italic = c.FontItalic;
        s.Font.underline = c.FontUnderline;
        if (changes.font) window.FontChanged();
        s.LoopOn = c.LoopOn;
        s.OsdOn = c.OsdOn;
        s.ResizeToMedia = c.ResizeToMedia;
        s.SubtitlesOn = c.SubtitlesOn;
        s.SubtitleSounds = c.SubtitleSounds;
        s.SubtitlesOverMovie = c.SubtitlesOverMovie;
        s.TimeFormat = c.TimeFormat;
        g.VideoWidth = c.VideoWidth;
        g.SourceWidth = c.SourceWidth;
        g.VideoHeight = c.VideoHeight;
        g.SourceHeight = c.SourceHeight;
        if (changes.crop) window.ApplyCrop(c.CropX, c.CropY);
        if (changes.aspect) window.SetAspect(c.Aspect);
        t.SubtitleOffset = c.SubtitleOffset;
        t.SubtitleSpeed = c.SubtitleSpeed;
        s.ZoomToWindow = c.ZoomToWindow;
        s.ZoomFactor = c.ZoomFactor;
        session.subtitleBoxOffsetY = c.SubtitleBoxOffsetY;
        // The switch flips the mode itself, keeping the windowed placement.
        if (changes.fullScreen)
            window.SwitchFullScreen();
        else
            s.FullScreenMode = c.FullScreenMode;
        window.LayoutVideo();
    } catch (const std::exception& e) {
        ShowMessage(std::string("ReadConfigs exception: ") + e.what(), MbIconExclamation);
    }
}

}  // namespace quova
