#include "tests/support/dvd_volume.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace quova::testing {

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;

std::string Quote(const fs::path& p) {
    std::string out = "'";
    for (char c : p.string()) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

// Runs a shell command with its output in `log`; the error names it.
std::string Run(const std::string& command, const fs::path& log) {
    const std::string line = "(" + command + ") >>" + Quote(log) + " 2>&1";
    const int rc = std::system(line.c_str());
    if (rc == 0) return "";
    return "failed (" + std::to_string(rc) + "): " + command + "\n" + ReadFile(log);
}

// MPEG-2 video of a test pattern, DVD profile.
std::string Video(const fs::path& dir, const std::string& name, const std::string& pattern,
                  int frames, const fs::path& log) {
    const fs::path y4m = dir / (name + ".y4m");
    std::string err = Run("gst-launch-1.0 -q videotestsrc pattern=" + pattern +
                              " num-buffers=" + std::to_string(frames) +
                              " ! video/x-raw,format=I420,width=720,height=576,framerate=25/1,"
                              "pixel-aspect-ratio=16/15,interlace-mode=progressive"
                              " ! y4menc ! filesink location=" +
                              Quote(y4m),
                          log);
    if (!err.empty()) return err;
    // mjpegtools names the chroma siting GStreamer leaves out of the header.
    const std::string header = "YUV4MPEG2 W720 H576 F25:1 Ip A16:15 C420mpeg2";
    err = Run("{ echo '" + header + "'; tail -c +$(( $(head -n 1 " + Quote(y4m) +
                  " | wc -c) + 1 )) " + Quote(y4m) +
                  "; } | mpeg2enc -v 0 -f 8 -n p -a 2 -G 12 -o " + Quote(dir / (name + ".m2v")),
              log);
    fs::remove(y4m);
    return err;
}

std::string Audio(const fs::path& dir, const std::string& name, const std::string& encoder,
                  double seconds, double freq, const fs::path& log) {
    const int buffers = static_cast<int>(seconds * 48000 / 1152) + 1;
    return Run("gst-launch-1.0 -q audiotestsrc num-buffers=" + std::to_string(buffers) +
                   " samplesperbuffer=1152 freq=" + std::to_string(freq) +
                   " ! audio/x-raw,rate=48000,channels=2 ! audioconvert ! " + encoder +
                   " ! filesink location=" + Quote(dir / name),
               log);
}

bool SavePng(const QImage& image, const fs::path& path) {
    return image.save(QString::fromStdString(path.string()), "PNG");
}

QImage Transparent() {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void Box(QImage& image, const DvdButtonBox& box, QColor color) {
    for (int y = box.y0; y < box.y1; ++y)
        for (int x = box.x0; x < box.x1; ++x) image.setPixelColor(x, y, color);
}

std::string WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return out ? "" : "cannot write " + path.string();
}

}  // namespace

std::string MakeDvdVolume(const fs::path& folder, const DvdVolumeOptions& options) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path work = folder / "authoring";
    fs::create_directories(work, ec);
    const fs::path log = work / "log.txt";
    std::string err;
    auto step = [&err](std::string result) {
        if (err.empty()) err = std::move(result);
    };

    step(Video(work, "menu", "green", 25, log));
    step(Video(work, "t1", "red", 50, log));
    step(Video(work, "t2", "blue", 150, log));
    step(Audio(work, "menu.ac3", "avenc_ac3 bitrate=192000", 1, 330, log));
    step(Audio(work, "t1.ac3", "avenc_ac3 bitrate=192000", 2, 440, log));
    step(Audio(work, "t2.ac3", "avenc_ac3 bitrate=192000", 6, 550, log));
    step(Audio(work, "t2.mp2", "avenc_mp2 bitrate=192000", 6, 660, log));
    if (!err.empty()) return err;
    step(Run("mplex -v 0 -f 8 -o " + Quote(work / "menu.mpg") + " " + Quote(work / "menu.m2v") +
                 " " + Quote(work / "menu.ac3"),
             log));
    step(Run("mplex -v 0 -f 8 -o " + Quote(work / "t1.mpg") + " " + Quote(work / "t1.m2v") + " " +
                 Quote(work / "t1.ac3"),
             log));
    step(Run("mplex -v 0 -f 8 -o " + Quote(work / "t2.mpg") + " " + Quote(work / "t2.m2v") + " " +
                 Quote(work / "t2.ac3") + " " + Quote(work / "t2.mp2"),
             log));
    if (!err.empty()) return err;

    // Button pictures: an outline in the plain state, filled boxes when
    // highlighted or selected.
    QImage normal = Transparent(), highlight = Transparent(), select = Transparent(),
           subtitle = Transparent();
    for (const DvdButtonBox& b : {kDvdButton1, kDvdButton2}) {
        Box(normal, {b.x0, b.y0, b.x1, b.y0 + 4}, Qt::white);
        Box(highlight, b, Qt::yellow);
        Box(select, b, Qt::red);
    }
    Box(subtitle, kDvdSubpictureBox, Qt::white);
    if (!SavePng(normal, work / "normal.png") || !SavePng(highlight, work / "highlight.png") ||
        !SavePng(select, work / "select.png") || !SavePng(subtitle, work / "subtitle.png"))
        return "cannot write the button pictures";

    auto box = [](const char* name, const DvdButtonBox& b, const char* links) {
        std::ostringstream s;
        s << "<button name=\"" << name << "\" x0=\"" << b.x0 << "\" y0=\"" << b.y0 << "\" x1=\""
          << b.x1 << "\" y1=\"" << b.y1 << "\" " << links << "/>";
        return s.str();
    };
    step(WriteText(work / "menu_spu.xml",
                   "<subpictures><stream><spu force=\"yes\" start=\"00:00:00.00\" image=\"" +
                       (work / "normal.png").string() + "\" highlight=\"" +
                       (work / "highlight.png").string() + "\" select=\"" +
                       (work / "select.png").string() + "\">" +
                       box("b1", kDvdButton1, "down=\"b2\"") + box("b2", kDvdButton2, "up=\"b1\"") +
                       "</spu></stream></subpictures>\n"));
    // Subtitles come and go: one unit each half second, as a film's would.
    std::string units;
    for (int i = 0; i < 11; ++i) {
        char line[160];
        std::snprintf(
            line, sizeof line, "<spu start=\"00:00:%02d.%02d\" end=\"00:00:%02d.%02d\" image=\"",
            (10 + i * 50) / 100, (10 + i * 50) % 100, (55 + i * 50) / 100, (55 + i * 50) % 100);
        units += line + (work / "subtitle.png").string() + "\"/>";
    }
    step(WriteText(work / "t2_spu.xml",
                   "<subpictures><stream>" + units + "</stream></subpictures>\n"));
    if (!err.empty()) return err;
    step(Run("spumux -m dvd -s 0 " + Quote(work / "menu_spu.xml") + " < " +
                 Quote(work / "menu.mpg") + " > " + Quote(work / "menu_b.mpg"),
             log));
    step(Run("spumux -m dvd -s 0 " + Quote(work / "t2_spu.xml") + " < " + Quote(work / "t2.mpg") +
                 " > " + Quote(work / "t2_s.mpg"),
             log));
    if (!err.empty()) return err;

    const std::string t1Pause = options.stillTitle ? " pause=\"inf\"" : "";
    std::ostringstream xml;
    xml << "<dvdauthor dest=\"" << folder.string() << "\">\n"
        << " <vmgm>\n  <fpc>jump menu 1;</fpc>\n  <menus>\n   <video format=\"pal\"/>\n"
        << "   <pgc entry=\"title\">\n    <vob file=\"" << (work / "menu_b.mpg").string()
        << "\" pause=\"inf\"/>\n"
        << "    <button name=\"b1\">jump title 1;</button>\n"
        << "    <button name=\"b2\">jump title 2;</button>\n"
        << "   </pgc>\n  </menus>\n </vmgm>\n"
        << " <titleset>\n  <menus><video format=\"pal\"/><pgc entry=\"root\"><pre>jump vmgm menu "
           "1;</pre></pgc></menus>\n"
        << "  <titles>\n   <video format=\"pal\"/>\n   <audio lang=\"en\"/>\n"
        << "   <pgc>\n    <vob file=\"" << (work / "t1.mpg").string() << "\" chapters=\"0,0:01\""
        << t1Pause << "/>\n"
        << "    <post>call vmgm menu 1;</post>\n   </pgc>\n  </titles>\n </titleset>\n"
        << " <titleset>\n  <menus><video format=\"pal\"/><pgc entry=\"root\"><pre>jump vmgm menu "
           "1;</pre></pgc></menus>\n"
        << "  <titles>\n   <video format=\"pal\"/>\n   <audio lang=\"en\"/>\n"
        << "   <audio lang=\"fr\"/>\n   <subpicture lang=\"en\"/>\n"
        << "   <pgc>\n    <vob file=\"" << (work / "t2_s.mpg").string()
        << "\" chapters=\"0,0:02,0:04\"/>\n"
        << "    <post>call vmgm menu 1;</post>\n   </pgc>\n  </titles>\n </titleset>\n"
        << "</dvdauthor>\n";
    step(WriteText(work / "dvd.xml", xml.str()));
    step(Run("VIDEO_FORMAT=PAL dvdauthor -x " + Quote(work / "dvd.xml"), log));
    if (!err.empty()) return err;
    fs::remove_all(work, ec);
    return "";
}

namespace {

const fs::path& Shared(bool still) {
    static fs::path made[2];
    static std::string errors[2];
    fs::path& path = made[still ? 1 : 0];
    std::string& error = errors[still ? 1 : 0];
    if (path.empty() && error.empty()) {
        // Every test runs in a process of its own: the volumes are made once
        // into the build's cache folder (QUOVA_DVD_CACHE moves it) and shared.
        // A change to the volumes above wants that folder removed.
        const char* cache = std::getenv("QUOVA_DVD_CACHE");
        const fs::path base = cache && *cache ? fs::path(cache) : fs::path(QUOVA_TEST_DVD_CACHE);
        const fs::path folder = base / (still ? "still" : "disc");
        std::error_code ec;
        if (fs::exists(folder / "VIDEO_TS" / "VIDEO_TS.IFO", ec)) {
            path = folder;
        } else {
            // Made aside and renamed into place, so a test running beside
            // this one never sees half a volume.
            fs::create_directories(base, ec);
            const fs::path aside =
                base / (folder.filename().string() + ".part-" + std::to_string(::getpid()));
            error = MakeDvdVolume(aside, {.stillTitle = still});
            if (error.empty()) {
                fs::rename(aside, folder, ec);
                if (ec) fs::remove_all(aside, ec);  // another test was first
                if (fs::exists(folder / "VIDEO_TS" / "VIDEO_TS.IFO", ec))
                    path = folder;
                else
                    error = "the volume could not be put in " + folder.string();
            }
        }
    }
    EXPECT_EQ(error, "") << "making the test DVD volume";
    return path;
}

}  // namespace

const fs::path& SharedDvdVolume() {
    return Shared(false);
}

const fs::path& SharedStillDvdVolume() {
    return Shared(true);
}

fs::path CopyDvdVolume(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::create_directories(to, ec);
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    EXPECT_FALSE(ec) << ec.message();
    return to;
}

}  // namespace quova::testing
