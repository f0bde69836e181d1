#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quova {

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
    // once the extraction has run to its end.
    std::string PartialFile;
    std::string OutputFile;
    // The names of the filters the extraction added, in order.
    std::vector<std::string> AddedFilters;
};

ExtractionState& Extraction();

bool& ModeFlag(ExtractionState& state, ExtractionKind kind);
// The mode that is on, if any.
bool ActiveMode(const ExtractionState& state, ExtractionKind& kind);

// Flips a mode; turned on, it turns the other four off. The player's
// extraction option follows the flipped mode (and the transcode keeps the
// video).
void ToggleExtractionMode(ExtractionKind kind);

// The menu commands: the option's tip, then the mode flips.
using ExtractionTip = std::function<void(int tip)>;
void PCMToWavClick(const ExtractionTip& showTip);
void MP3ToMp3Click(const ExtractionTip& showTip);
void PCMtoMp3Click(const ExtractionTip& showTip);
void PCMtoogg1Click(const ExtractionTip& showTip);
void PCMtooggmuxvideo1Click(const ExtractionTip& showTip);

// The mode's output extension (".wav", ".mp3", ".ogm").
std::string OutputExtension(ExtractionKind kind);
// The source's name with its extension replaced, in the same folder.
std::string OutputFileName(const std::string& source, ExtractionKind kind);
// Where the output is written until it is whole: beside it, so that the
// final rename stays on one file system.
std::string PartialFileName(const std::string& output);

// Reshapes the rendered graph so that the medium's audio goes into a file
// instead of the sound device. False when nothing is to be played: the user
// declined, a stream or filter is missing, or the last connection failed.
bool BuildExtractionGraph(const std::string& fileName);

// "extracting: 42%" for a position within a duration (seconds).
std::string ExtractionProgress(double position, double duration);

// The play-list entry to extract after `current`, in list order; "" after
// the last (or when the list holds one entry or none).
std::string NextExtractionEntry(const std::vector<std::string>& playList,
                                const std::string& current);

// The polling tick's part while an extraction runs. Until the medium has
// ended it shows the progress; at the end it makes the file whole under its
// name, then opens the next play-list entry through `open`, or, after the
// last, reports "audio extraction complete" and returns false (the tick
// stops). Returns true while there is more to do.
bool ExtractionTick(const std::vector<std::string>& playList,
                    const std::function<void(const std::string&)>& open);

// Makes the file written so far whole: closes the writer and gives the file
// its name. False when nothing was being written.
bool FinishExtractionFile();

}  // namespace quova
