#include "graph/extraction.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "graph/custom_build.h"
#include "graph/filter_chooser.h"
#include "graph/graph_state.h"
#include "graph/medium_session.h"
#include "graph/message_box.h"
#include "graph/open_media.h"
#include "graph/property_page.h"
#include "lexicon/lexicon.h"
#include "platform/engine/filter_graph.h"
#include "platform/files/atomic_file.h"
#include "platform/registry/registry.h"
#include "text/text_session.h"

namespace quova {

using namespace engine;
namespace fs = std::filesystem;

namespace {

constexpr const char* kVorbisKey = "SOFTWARE\\Dorvane\\Quova\\OggVorbisEncoder";

bool Exists(const std::string& name) {
    std::error_code ec;
    return fs::exists(name, ec);
}

// Lexicon 450 names the extension and the file.
std::string OverwriteQuestion(const std::string& ext, const std::string& file) {
    std::string text = Lex(450);
    for (const std::string& value : {ext + " ", file}) {
        const size_t at = text.find("%s");
        if (at == std::string::npos) break;
        text.replace(at, 2, value);
    }
    return text;
}

void MissingFilter(const std::string& name) {
    ShowMessage(FormatLex(470, name), MbIconStop);
}

bool IsOgg(ExtractionKind kind) {
    return kind == ExtractionKind::PcmToOgg || kind == ExtractionKind::TranscodeToOgm;
}

// Adds a filter of the extraction's own, remembering it for the end.
HResult Added(MediumSession& session, FilterGraph& graph, const FilterPtr& filter,
              const std::string& name) {
    const HResult hr = graph.AddFilter(filter, name);
    if (Succeeded(hr)) session.extraction.AddedFilters.push_back(filter->Name());
    return hr;
}

// Connects an output of `from` to `input`, the remembered pin first.
HResult ConnectFrom(FilterGraph& graph, const FilterPtr& from, const std::string& preferredPin,
                    const PinPtr& input) {
    HResult hr = VFW_E_CANNOT_CONNECT;
    std::vector<PinPtr> outputs = from->Pins(PinDirection::Output);
    std::stable_partition(outputs.begin(), outputs.end(),
                          [&](const PinPtr& p) { return p->Name() == preferredPin; });
    for (const PinPtr& out : outputs) {
        if (out->IsConnected()) continue;
        if (Succeeded(hr = graph.Connect(out, input))) break;
    }
    return hr;
}

// Feeds every input of `to` from `from`; the name of `to`'s first output.
std::string Chain(FilterGraph& graph, const FilterPtr& from, const std::string& fromPin,
                  const FilterPtr& to) {
    for (const PinPtr& input : to->Pins(PinDirection::Input))
        if (!input->IsConnected()) ConnectFrom(graph, from, fromPin, input);
    const std::vector<PinPtr> outs = to->Pins(PinDirection::Output);
    return outs.empty() ? "" : outs.front()->Name();
}

// The compressor chooser; false when the user cancelled or chose nothing.
bool ChooseCompressor(ExtractionKind kind, ExtractionState& state) {
    TQuovaAddFilt& chooser = FilterChooser();
    chooser.Label1->setText("");
    chooser.Label1->adjustSize();
    chooser.ListBox1->clear();
    chooser.ListBox1->setSortingEnabled(true);
    const std::vector<MediaType> inputs = {{MEDIATYPE_Audio, MEDIASUBTYPE_PCM},
                                           {MEDIATYPE_Audio, GUID_NULL}};
    if (kind == ExtractionKind::PcmToMp3) {
        FillFilterList(true, 0, inputs,
                       {{MEDIATYPE_Audio, MEDIASUBTYPE_MP3},
                        {MEDIATYPE_Audio, MEDIASUBTYPE_MPEG1AudioPayload}});
        chooser.setWindowTitle(QString::fromStdString(Lex(480)));
    } else {
        FillFilterList(true, 0, inputs, {{MEDIATYPE_Audio, MEDIASUBTYPE_Vorbis}});
        chooser.setWindowTitle(QString::fromStdString(Lex(490)));
    }
    chooser.ListBox1->clearSelection();
    chooser.ListBox1->setCurrentRow(-1);
    if (!state.CompressorName.empty()) {
        const auto found = chooser.ListBox1->findItems(QString::fromStdString(state.CompressorName),
                                                       Qt::MatchExactly);
        if (!found.isEmpty()) {
            chooser.ListBox1->setCurrentItem(found.front());
            found.front()->setSelected(true);
        }
    }
    chooser.Button1->setText(QString::fromStdString(Lex(500)));
    chooser.Button2->setText(QString::fromStdString(Lex(510)));
    chooser.Button2->setVisible(true);
    chooser.Button3->setVisible(false);
    chooser.CheckBox1->setChecked(false);
    chooser.CheckBox1->setVisible(true);
    const int answer = chooser.ShowModal();
    // "&Select" with nothing selected is a cancel.
    const QList<QListWidgetItem*> chosen = chooser.ListBox1->selectedItems();
    if (answer != QDialog::Accepted || chosen.isEmpty()) return false;
    state.CompressorName = chosen.front()->text().toStdString();
    if (state.CompressorName.empty()) return false;
    state.CompressorIsDefault = chooser.CheckBox1->isChecked();
    return true;
}

void ReadVorbisSettings(const FilterPtr& compressor) {
    const Outcome<AudioEncoderFormat> format = compressor->EncoderFormat();
    if (!format.ok()) {
        ShowMessage(Lex(520) + ErrorText(format.hr), MbOk);
        return;
    }
    AudioEncoderFormat f = format.value;
    registry::KeyHandle key = registry::OpenUserKey(kVorbisKey);
    f.minBitsPerSecond = registry::ReadIntValue(key.get(), "nMinBitsPerSec", -1);
    f.avgBitsPerSecond = registry::ReadIntValue(key.get(), "nAvgBitsPerSec", -1);
    f.maxBitsPerSecond = registry::ReadIntValue(key.get(), "nMaxBitsPerSec", -1);
    f.quality = static_cast<float>(registry::ReadIntValue(key.get(), "fQuality", 1) / 10.0);
    registry::CloseKey(key);
    const HResult hr = compressor->SetEncoderFormat(f);
    if (Failed(hr)) ShowMessage(Lex(530) + ErrorText(hr), MbOk);
}

void WriteVorbisSettings(const FilterPtr& compressor) {
    const Outcome<AudioEncoderFormat> format = compressor->EncoderFormat();
    if (!format.ok()) {
        ShowMessage(Lex(520) + ErrorText(format.hr), MbOk);
        return;
    }
    registry::KeyHandle key = registry::OpenUserKey(kVorbisKey);
    registry::WriteIntValue(key.get(), "nMinBitsPerSec", format.value.minBitsPerSecond);
    registry::WriteIntValue(key.get(), "nAvgBitsPerSec", format.value.avgBitsPerSecond);
    registry::WriteIntValue(key.get(), "nMaxBitsPerSec", format.value.maxBitsPerSecond);
    // Truncated, as all values derived from fractions are.
    registry::WriteIntValue(key.get(), "fQuality",
                            static_cast<int>(std::trunc(format.value.quality * 10.0f + 1e-4f)));
    registry::CloseKey(key);
}

// Brings the compressed video of the only filter that gives video into the
// multiplexer, unchanged. The video's decoder and renderer are gone by then.
void MultiplexVideo(MediumSession& session, FilterGraph& graph, const FilterPtr& mux) {
    std::vector<std::string> names;
    if (FindFilterNamesByPinType(session, MEDIATYPE_Video, GUID_NULL, PinDirection::Output, 63,
                                 names) != 1)
        return;
    const FilterPtr video = graph.FindFilterByName(names.front());
    if (!video) return;
    for (const PinPtr& input : mux->Pins(PinDirection::Input)) {
        if (input->IsConnected()) continue;
        for (const PinPtr& out : video->Pins(PinDirection::Output))
            if (!out->IsConnected() && Succeeded(graph.Connect(out, input))) break;
    }
}

}  // namespace

bool& ModeFlag(ExtractionState& s, ExtractionKind kind) {
    switch (kind) {
        case ExtractionKind::PcmToWav:
            return s.PcmToWav;
        case ExtractionKind::Mp3ToMp3:
            return s.Mp3ToMp3;
        case ExtractionKind::PcmToMp3:
            return s.PcmToMp3;
        case ExtractionKind::PcmToOgg:
            return s.PcmToOgg;
        case ExtractionKind::TranscodeToOgm:
            break;
    }
    return s.TranscodeToOgm;
}

bool ActiveMode(const ExtractionState& s, ExtractionKind& kind) {
    const std::pair<bool, ExtractionKind> modes[] = {
        {s.PcmToWav, ExtractionKind::PcmToWav},
        {s.Mp3ToMp3, ExtractionKind::Mp3ToMp3},
        {s.PcmToMp3, ExtractionKind::PcmToMp3},
        {s.PcmToOgg, ExtractionKind::PcmToOgg},
        {s.TranscodeToOgm, ExtractionKind::TranscodeToOgm},
    };
    for (const auto& [on, k] : modes) {
        if (on) {
            kind = k;
            return true;
        }
    }
    return false;
}

void ToggleExtractionMode(MediumSession& session, ExtractionKind kind) {
    ExtractionState& s = session.extraction;
    bool& flag = ModeFlag(s, kind);
    flag = !flag;
    if (flag) {
        s.PcmToWav = s.Mp3ToMp3 = s.PcmToMp3 = s.PcmToOgg = s.TranscodeToOgm = false;
        flag = true;
    }
    session.flags.ExtractionMode = flag;
    session.flags.TranscodeWithVideo = s.TranscodeToOgm;
}

void PCMToWavClick(MediumSession& session, const ExtractionTip& showTip) {
    if (showTip) showTip(20);
    ToggleExtractionMode(session, ExtractionKind::PcmToWav);
}

void MP3ToMp3Click(MediumSession& session, const ExtractionTip& showTip) {
    if (showTip) showTip(21);
    ToggleExtractionMode(session, ExtractionKind::Mp3ToMp3);
}

void PCMtoMp3Click(MediumSession& session, const ExtractionTip& showTip) {
    if (showTip) showTip(22);
    ToggleExtractionMode(session, ExtractionKind::PcmToMp3);
}

void PCMtoogg1Click(MediumSession& session, const ExtractionTip& showTip) {
    if (showTip) showTip(23);
    ToggleExtractionMode(session, ExtractionKind::PcmToOgg);
}

void PCMtooggmuxvideo1Click(MediumSession& session, const ExtractionTip& showTip) {
    if (showTip) showTip(23);
    ToggleExtractionMode(session, ExtractionKind::TranscodeToOgm);
}

std::string OutputExtension(ExtractionKind kind) {
    switch (kind) {
        case ExtractionKind::PcmToWav:
            return ".wav";
        case ExtractionKind::Mp3ToMp3:
        case ExtractionKind::PcmToMp3:
            return ".mp3";
        default:
            return ".ogm";
    }
}

std::string OutputFileName(const std::string& source, ExtractionKind kind) {
    const std::string name = NameWithoutFolder(source);
    const size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    return FolderOf(source) + stem + OutputExtension(kind);
}

bool IsSameFile(const std::string& source, const std::string& output) {
    if (source == output) return true;
    struct stat a {};
    struct stat b {};
    return stat(source.c_str(), &a) == 0 && stat(output.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool BuildExtractionGraph(MediumSession& session, const std::string& fileName) {
    ExtractionState& s = session.extraction;
    s.AddedFilters.clear();
    ExtractionKind kind{};
    FilterGraph* graphPtr = session.graph.GraphBuilder.get();
    if (!ActiveMode(s, kind) || !graphPtr) return false;
    FilterGraph& graph = *graphPtr;
    const std::string output = OutputFileName(fileName, kind);

    // song.mp3 in "MP3 to .mp3" names its own source; so may a link.
    if (IsSameFile(fileName, output)) {
        ShowMessage(FormatLex(2630, output), MbIconStop);
        return false;
    }
    if (Exists(output) && ShowMessage(OverwriteQuestion(OutputExtension(kind), output),
                                      MbOkCancel | MbIconExclamation) != IdOk)
        return false;

    const Guid wanted = kind == ExtractionKind::Mp3ToMp3 ? MEDIASUBTYPE_MP3 : MEDIASUBTYPE_PCM;
    std::string sourceName, sourcePin, consumerName;
    for (const FilterPtr& filter : graph.Filters()) {
        for (const PinPtr& pin : filter->Pins()) {
            if (pin->Direction() == PinDirection::Output) {
                for (const MediaType& type : pin->MediaTypes())
                    if (type.IsAudio() && type.subType == wanted) {
                        sourceName = filter->Name();
                        sourcePin = pin->Name();
                    }
            } else if (pin->IsConnected()) {
                const Outcome<MediaType> type = pin->ConnectionMediaType();
                if (type.ok() && type.value.IsAudio() && type.value.subType == wanted)
                    consumerName = filter->Name();
            }
        }
    }
    if (sourceName.empty()) {
        ShowMessage(Lex(460), MbIconStop);
        return false;
    }
    if (!consumerName.empty()) RemoveDownstream(session, graph.FindFilterByName(consumerName));
    // Only the sound goes into the file: decoding and drawing the pictures
    // would cost more than the extraction itself. The splitter's video output
    // stays, unconnected, so the streams still show as the file has them.
    // (The transcode keeps the video as it is, undecoded, further on.)
    if (kind != ExtractionKind::TranscodeToOgm) BypassMediaType(session, MEDIATYPE_Video);
    FilterPtr source = graph.FindFilterByName(sourceName);
    if (!source) return false;

    std::string lastName, lastPin;
    if (kind == ExtractionKind::Mp3ToMp3) {
        lastName = sourceName;
        lastPin = sourcePin;
    } else if (kind == ExtractionKind::PcmToWav) {
        const FilterPtr wavDest = CreateFilterByName("WAV Dest");
        if (wavDest && Succeeded(Added(session, graph, wavDest, "WAV Dest"))) {
            lastName = wavDest->Name();
            lastPin = Chain(graph, source, sourcePin, wavDest);
        } else {
            MissingFilter("WAV Dest");
        }
    } else {
        bool dialogShown = false;
        if (s.CompressorName.empty() || !s.CompressorIsDefault) {
            if (!ChooseCompressor(kind, s)) return false;
            dialogShown = true;
        }
        const FilterPtr compressor = CreateFilterByName(s.CompressorName);
        if (!compressor || Failed(Added(session, graph, compressor, s.CompressorName))) {
            MissingFilter(s.CompressorName);
            return false;
        }
        std::string compressorPin = Chain(graph, source, sourcePin, compressor);
        if (IsOgg(kind)) ReadVorbisSettings(compressor);
        if (dialogShown) {
            try {
                ShowFilterPropertyPage(session.mediaPort.Get().Window(), compressor);
            } catch (...) {
                // The settings page is a courtesy; the extraction goes on without it.
            }
        }
        if (IsOgg(kind)) WriteVorbisSettings(compressor);
        lastName = compressor->Name();
        lastPin = compressorPin;
        if (IsOgg(kind) && !compressorPin.empty()) {
            // Before the multiplexer joins: its free video input would
            // count as a consumer of video too.
            if (kind == ExtractionKind::TranscodeToOgm) BypassMediaType(session, MEDIATYPE_Video);
            const FilterPtr mux = CreateFilterByName("Ogg Multiplexer");
            if (!mux || Failed(Added(session, graph, mux, "Ogg Multiplexer"))) {
                MissingFilter("Ogg Multiplexer");
                return false;
            }
            lastName = mux->Name();
            lastPin = Chain(graph, compressor, compressorPin, mux);
            if (kind == ExtractionKind::TranscodeToOgm) MultiplexVideo(session, graph, mux);
        }
    }
    if (lastPin.empty()) return false;

    const bool dump = kind == ExtractionKind::Mp3ToMp3 || kind == ExtractionKind::PcmToMp3;
    const std::string sinkName = dump ? "Dump" : "File writer";
    const FilterPtr sink = CreateFilterByName(sinkName);
    if (!sink || Failed(Added(session, graph, sink, sinkName))) {
        MissingFilter(sinkName);
        return false;
    }
    // The file takes its name only once it is whole: one cut short (the
    // program killed meanwhile, the disk full) is never taken for a finished
    // one, and an older file of that name stays until then. It is created
    // new under a name nobody could have planted a link at.
    std::string partial;
    HResult hr = E_FAIL;
    for (const PinPtr& input : sink->Pins(PinDirection::Input)) {
        FileSink* writer = sink->AsFileSink();
        if (!writer) break;
        if (!partial.empty()) unlink(partial.c_str());
        int fd = -1;
        partial = CreateTemporaryBeside(output, fd);
        if (fd < 0) {
            ShowMessage(Lex(2620) + std::strerror(errno), MbIconStop);
            break;
        }
        if (Failed(writer->SetFileDescriptor(fd, partial))) continue;
        const FilterPtr last = graph.FindFilterByName(lastName);
        if (!last) break;
        for (const PinPtr& out : last->Pins(PinDirection::Output)) {
            if (out->Name() != lastPin || out->IsConnected()) continue;
            hr = graph.ConnectDirect(out, input);
            if (hr == S_OK) break;
            ShowMessage(ErrorText(hr), MbOk);
        }
    }
    if (hr != S_OK) {
        if (!partial.empty()) unlink(partial.c_str());
        return false;
    }
    s.PartialFile = partial;
    s.OutputFile = output;
    // Nobody listens to an extraction: it runs as fast as the machine allows.
    graph.SetClockSync(false);
    return true;
}

std::string ExtractionProgress(double position, double duration) {
    int percent = 0;
    if (duration > 0) percent = static_cast<int>(std::clamp(position / duration, 0.0, 1.0) * 100);
    return "extracting: " + std::to_string(percent) + "%";
}

std::string NextExtractionEntry(const std::vector<std::string>& playList,
                                const std::string& current, int& index) {
    const int count = static_cast<int>(playList.size());
    if (index < 0 || index >= count || playList[static_cast<size_t>(index)] != current) {
        const auto at = std::find(playList.begin(), playList.end(), current);
        index = at == playList.end() ? count : static_cast<int>(at - playList.begin());
    }
    if (count < 2 || index + 1 >= count) {
        index = -1;
        return "";
    }
    return playList[static_cast<size_t>(++index)];
}

namespace {

// Takes the extraction's filters out of the graph; taking the writer out
// closes its file, and the rest of the chain goes with it so that nothing is
// left fed without a way out.
void RemoveExtractionFilters(MediumSession& session, ExtractionState& s) {
    if (FilterGraph* graph = session.graph.GraphBuilder.get()) {
        for (auto name = s.AddedFilters.rbegin(); name != s.AddedFilters.rend(); ++name)
            if (const FilterPtr filter = graph->FindFilterByName(*name))
                graph->RemoveFilter(filter);
    }
    s.AddedFilters.clear();
}

}  // namespace

bool FinishExtractionFile(MediumSession& session) {
    ExtractionState& s = session.extraction;
    if (s.PartialFile.empty()) return false;
    RemoveExtractionFilters(session, s);
    const bool named = CommitTemporaryFile(s.PartialFile, s.OutputFile, nullptr);
    s.PartialFile.clear();
    return named;
}

void AbandonExtractionFile(MediumSession& session) {
    ExtractionState& s = session.extraction;
    RemoveExtractionFilters(session, s);
    if (!s.PartialFile.empty()) unlink(s.PartialFile.c_str());
    s.PartialFile.clear();
}

bool ExtractionTick(MediumSession& session, const std::vector<std::string>& playList,
                    const std::function<void(const std::string&)>& open) {
    GraphSession& g = session.graph;
    if (!g.MediaComplete) {
        if (g.ExtractionReady && g.GraphBuilder && !session.extraction.PartialFile.empty()) {
            const Outcome<double> position = g.GraphBuilder->CurrentPosition();
            session.osdMessage = ExtractionProgress(position.ok() ? position.value : 0, g.Duration);
            session.mediaPort.Get().PaintOsd();
        }
        return true;
    }
    ExtractionState& s = session.extraction;
    if (Failed(g.MediaError)) {
        // Whatever was written is cut short: the old output stays.
        AbandonExtractionFile(session);
        s.BatchIndex = -1;
        s.CompressorIsDefault = false;
        session.osdMessage = Lex(2620) + ErrorText(g.MediaError);
        session.mediaPort.Get().PaintOsd();
        return false;
    }
    if (!s.PartialFile.empty() && !FinishExtractionFile(session)) {
        s.BatchIndex = -1;
        s.CompressorIsDefault = false;
        session.osdMessage = Lex(2620) + s.OutputFile;
        session.mediaPort.Get().PaintOsd();
        return false;
    }
    const std::string next = NextExtractionEntry(playList, g.CurrentMediaName, s.BatchIndex);
    if (!next.empty()) {
        if (open) open(next);
        return true;
    }
    if (g.ExtractionReady) {
        session.osdMessage = Lex(1260);
        s.CompressorIsDefault = false;
        session.mediaPort.Get().PaintOsd();
    }
    return false;
}

}  // namespace quova
