#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/engine/media_type.h"

typedef struct _GstCaps GstCaps;

namespace quova::engine {

class Filter;

// Merit: how eagerly the graph builder uses a filter.
inline constexpr std::uint32_t MERIT_PREFERRED = 0x800000;
inline constexpr std::uint32_t MERIT_NORMAL = 0x600000;
inline constexpr std::uint32_t MERIT_UNLIKELY = 0x400000;
inline constexpr std::uint32_t MERIT_DO_NOT_USE = 0x200000;
inline constexpr std::uint32_t MERIT_SW_COMPRESSOR = 0x100000;

// GStreamer's rank on the merit scale: none is "do not use", marginal
// "unlikely", primary "normal", in proportion between.
std::uint32_t MeritFromRank(unsigned rank);

// The merit of an element of plugin `plugin` at that plugin's version
// ("1.22.0"), given the merit its rank gives. GStreamer's second adaptive
// demuxers (hlsdemux2, dashdemux2, mssdemux2 of the adaptivedemux2 plugin)
// outrank the first ones, but before 1.24 they abort the process now and then
// on a failed internal assertion as a download completes (seen with a static
// DASH presentation over a local server): there they rank just below the
// first ones, which take over wherever those are installed.
std::uint32_t AdaptiveDemuxerMerit(std::string_view plugin, std::string_view version,
                                   std::uint32_t merit);

enum class FilterCategory {
    Source,
    Splitter,
    Parser,
    Decoder,
    Encoder,
    Converter,
    Multiplexer,
    Renderer,
    Writer,
};

// The category an element's klass text puts it in; false when it serves none.
bool CategoryFromKlass(std::string_view klass, FilterCategory& category);

// The filters the player knows by name, built on GStreamer elements.
enum class NamedFilter {
    None,
    FileSource,
    AviSplitter,
    OggSplitter,
    WavDest,
    Dump,
    FileWriter,
    OggMultiplexer,
    VideoRenderer,
    AudioRenderer,
    AudioMixer,
};

struct FilterInfo {
    std::string friendlyName;
    std::string factoryName;  // the GStreamer element factory underneath
    std::uint32_t merit = 0;
    FilterCategory category = FilterCategory::Converter;
    NamedFilter named = NamedFilter::None;
    bool hasInputPins = false;
    bool hasOutputPins = false;
    bool dynamicOutputs = false;  // output pads appear only once data flows
    // A decoder on the GPU (klass "Hardware"): used only as DecoderChoice
    // allows, and replaced by software when it fails.
    bool hardware = false;
    std::vector<MediaType> inputTypes;
    std::vector<MediaType> outputTypes;
    // What the input pins accept, as GStreamer caps (for intelligent connect).
    std::shared_ptr<GstCaps> inputCaps;
};

// Gives each filter that shares its friendly name with another a name of its
// own: the element's factory name in parentheses after it.
void QualifyDuplicateNames(std::vector<FilterInfo>& filters);

// Every installed element factory that can take a place in a graph, plus the
// named filters, in merit order (highest first, then by friendly name).
class FilterMapper {
  public:
    static const FilterMapper& Instance();

    const std::vector<FilterInfo>& Filters() const { return filters_; }

    // Filters with at least `minMerit` whose input pins accept one of
    // `inputTypes` and whose output pins offer one of `outputTypes` (an empty
    // list asks nothing). GUID_NULL in a wanted type matches anything; a
    // named filter's own GUID_NULL registration (ANY caps) matches only when
    // not `exactMatch`. Other elements with ANY caps, and caps without a
    // media type of their own, match only a wanted GUID_NULL. Demuxers take
    // and multiplexers give MEDIATYPE_Stream, parsers take their codec's
    // subtype as MEDIATYPE_Stream; encoders rank as software compressors,
    // multiplexers and writers as "do not use".
    // `inputNeeded` / `outputNeeded` require such a pin at all.
    std::vector<const FilterInfo*> EnumMatchingFilters(
        bool exactMatch, std::uint32_t minMerit, bool inputNeeded,
        const std::vector<MediaType>& inputTypes, bool outputNeeded,
        const std::vector<MediaType>& outputTypes) const;

    // The first filter with exactly this friendly name (case-sensitive).
    const FilterInfo* Find(std::string_view friendlyName) const;
    const FilterInfo* FindNamed(NamedFilter named) const;

    // A new instance; nullptr when the element cannot be made.
    std::shared_ptr<Filter> Create(const FilterInfo& info) const;
    std::shared_ptr<Filter> CreateByName(std::string_view friendlyName) const;

  private:
    FilterMapper();
    std::vector<FilterInfo> filters_;
};

}  // namespace quova::engine
