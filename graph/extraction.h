#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quova {

struct MediumSession;

// The five ways of rewriting a file's audio.
enum class ExtractionKind { PcmToWav, Mp3ToMp3, PcmToMp3, PcmToOgg, TranscodeToOgm };

// The mode flags (at most one on) and the compressor chosen last. None of it
// is kept between runs.
struct ExtractionState {
    bool PcmToWav = false;
    bool Mp3ToMp3 = false;
    bool PcmToMp3 = false;
    bool PcmToOgg = false;
    bool TranscodeToOgm = false;
    std::string CompressorName;
    bool CompressorIsDefault = false;
    // The file being written under its temporary name, and the name it gets
    // once the extraction has run to its end without error.
    std::string PartialFile;
    std::string OutputFile;
    // The play-list position of the entry being extracted; -1 outside a batch.
    int BatchIndex = -1;
    // The names of the filters the extraction added, in order.
    std::vector<std::string> AddedFilters;
};

bool& ModeFlag(ExtractionState& state, ExtractionKind kind);
// The mode that is on, if any.
bool ActiveMode(const ExtractionState& state, ExtractionKind& kind);

// Flips a mode; turned on, it turns the other four off. The player's
// extraction option follows the flipped mode (and the transcode keeps the
// video).
void ToggleExtractionMode(MediumSession& session, ExtractionKind kind);

// The menu commands: the option's tip, then the mode flips.
using ExtractionTip = std::function<void(int tip)>;
void PCMToWavClick(MediumSession& session, const ExtractionTip& showTip);
void MP3ToMp3Click(MediumSession& session, const ExtractionTip& showTip);
void PCMtoMp3Click(MediumSession& session, const ExtractionTip& showTip);
void PCMtoogg1Click(MediumSession& session, const ExtractionTip& showTip);
void PCMtooggmuxvideo1Click(MediumSession& session, const ExtractionTip& showTip);

// The mode's output extension (".wav", ".mp3", ".ogm").
std::string OutputExtension(ExtractionKind kind);
// The source's name with its extension replaced, in the same folder.
std::string OutputFileName(const std::string& source, ExtractionKind kind);
// Whether writing `output` would replace `source` itself: the same name, or
// another name (a link) for the same file.
bool IsSameFile(const std::string& source, const std::string& output);

// Reshapes the rendered graph so that the medium's audio goes into a file
// instead of the sound device. False when nothing is to be played: the user
// declined, a stream or filter is missing, or the last connection failed.
bool BuildExtractionGraph(MediumSession& session, const std::string& fileName);

// "extracting: 42%" for a position within a duration (seconds).
std::string ExtractionProgress(double position, double duration);

// The play-list entry to extract after the one at `index`, in list order;
// "" after the last (or when the list holds one entry or none). When the
// entry at `index` is not `current`, the first entry naming `current`
// counts. `index` moves to the entry returned, so that an entry listed twice
// is extracted twice and the batch still ends.
std::string NextExtractionEntry(const std::vector<std::string>& playList,
                                const std::string& current, int& index);

// The polling tick's part while an extraction runs. Until the medium has
// ended it shows the progress; at the end it makes the file whole under its
// name, then opens the next play-list entry through `open`, or, after the
// last, reports "audio extraction complete" and returns false (the tick
// stops). When an error ended the medium, the old output stays, the partial
// file goes, the error is reported and the batch stops (false). Returns true
// while there is more to do.
bool ExtractionTick(MediumSession& session, const std::vector<std::string>& playList,
                    const std::function<void(const std::string&)>& open);

// Makes the file written so far whole: closes the writer and gives the file
// its name. False when nothing was being written or it could not be named.
bool FinishExtractionFile(MediumSession& session);
// Drops the file written so far: closes the writer and removes the partial
// file, leaving any older output as it was.
void AbandonExtractionFile(MediumSession& session);

}  // namespace quova
