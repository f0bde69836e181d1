#include "platform/engine/filter_mapper.h"

#include <gst/gst.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/engine/audio_decoder_filter.h"
#include "platform/engine/filter_factory.h"
#include "platform/engine/gst_init.h"

namespace quova::engine {

namespace {

constexpr std::string_view kSecondAdaptiveDemuxers = "adaptivedemux2";

// A registration of GUID_NULL stands for "anything" only where the player
// registered a filter of its own that way (the file writers take any stream).
// Elements with ANY caps are utilities that fit everywhere and nowhere in
// particular, and caps the player has no type for are particular types of
// their own: neither matches a particular type that is asked for.
bool TypeListMatches(const std::vector<MediaType>& registered, const std::vector<MediaType>& wanted,
                     bool exact, bool wildcards) {
    for (const MediaType& w : wanted) {
        for (const MediaType& r : registered) {
            const bool wildcard = wildcards && r.caps == "ANY";
            auto same = [exact, wildcard](const Guid& mine, const Guid& asked) {
                if (asked.IsNull()) return true;
                if (mine.IsNull()) return wildcard && !exact;
                return mine == asked;
            };
            if (same(r.majorType, w.majorType) && same(r.subType, w.subType)) return true;
        }
    }
    return false;
}

// What a pin template carries, as the graph's users see it. A demuxer takes
// the file's byte stream, and a parser the unframed stream of its codec (as
// the original system's splitters for elementary streams did); a
// multiplexer gives a byte stream. Left as media types, a parser would pass
// for a compressor and a demuxer of an unknown container for a decoder.
std::vector<MediaType> TemplateTypes(GstCaps* caps, GstPadDirection direction,
                                     FilterCategory category) {
    const bool in = direction == GST_PAD_SINK;
    if ((in && category == FilterCategory::Splitter) ||
        (!in && category == FilterCategory::Multiplexer))
        return MediaTypesFromCaps(caps, true);
    auto types = MediaTypesFromCaps(caps);
    if (in && category == FilterCategory::Parser) {
        for (MediaType& t : types)
            if (!t.majorType.IsNull()) t.majorType = MEDIATYPE_Stream;
    }
    return types;
}

void AddTemplates(GstElementFactory* factory, FilterInfo& info) {
    for (const GList* l = gst_element_factory_get_static_pad_templates(factory); l; l = l->next) {
        auto* templ = static_cast<GstStaticPadTemplate*>(l->data);
        GstCaps* caps = gst_static_caps_get(&templ->static_caps);
        auto types = TemplateTypes(caps, templ->direction, info.category);
        // The registration needs the kind of each type, not its caps text (a
        // raw video template's runs to kilobytes, once for every format of
        // the few hundred elements that take raw video); ANY stays readable.
        for (MediaType& t : types)
            if (t.caps != "ANY") std::string().swap(t.caps);
        if (templ->direction == GST_PAD_SINK) {
            GstCaps* merged = info.inputCaps ? gst_caps_merge(gst_caps_copy(info.inputCaps.get()),
                                                              gst_caps_ref(caps))
                                             : gst_caps_ref(caps);
            info.inputCaps.reset(merged, [](GstCaps* c) { gst_caps_unref(c); });
        }
        gst_caps_unref(caps);
        if (templ->direction == GST_PAD_SINK) {
            info.hasInputPins = true;
            info.inputTypes.insert(info.inputTypes.end(), types.begin(), types.end());
        } else if (templ->direction == GST_PAD_SRC) {
            info.hasOutputPins = true;
            if (templ->presence == GST_PAD_SOMETIMES) info.dynamicOutputs = true;
            info.outputTypes.insert(info.outputTypes.end(), types.begin(), types.end());
        }
    }
}

bool Excluded(std::string_view name, std::string_view klass) {
    // Whole auto-plugging bins and the player's own building blocks are not
    // filters of their own.
    return klass.find("Bin") != std::string_view::npos || name.starts_with("decodebin") ||
           name.starts_with("uridecodebin") || name.starts_with("parsebin") ||
           name.starts_with("playbin") || name == "typefind" || name.starts_with("urisourcebin") ||
           name.starts_with("quovaguarded");
}

}  // namespace

void QualifyDuplicateNames(std::vector<FilterInfo>& filters) {
    std::map<std::string, int> uses;
    for (const FilterInfo& f : filters) ++uses[f.friendlyName];
    // Every element of a shared name is qualified, not all but the first:
    // which one the registry lists first changes from machine to machine,
    // and a name must pick the same element everywhere. The player's own
    // named filters keep their names, which graphs are built by.
    for (FilterInfo& f : filters)
        if (uses[f.friendlyName] > 1 && f.named == NamedFilter::None)
            f.friendlyName += " (" + f.factoryName + ")";
}

std::uint32_t AdaptiveDemuxerMerit(std::string_view plugin, std::string_view version,
                                   std::uint32_t merit) {
    if (plugin != kSecondAdaptiveDemuxers) return merit;
    unsigned major = 0, minor = 0;
    const std::string text(version);
    if (std::sscanf(text.c_str(), "%u.%u", &major, &minor) != 2) return merit;
    const bool settled = major > 1 || (major == 1 && minor >= 24);
    return settled ? merit : std::min(merit, MeritFromRank(GST_RANK_PRIMARY - 1));
}

std::uint32_t MeritFromRank(unsigned rank) {
    return MERIT_DO_NOT_USE + std::min<unsigned>(rank, 1024) * 0x4000;
}

bool CategoryFromKlass(std::string_view k, FilterCategory& category) {
    auto has = [k](std::string_view w) { return k.find(w) != std::string_view::npos; };
    if (has("Demuxer"))
        category = FilterCategory::Splitter;
    else if (has("Parser"))
        category = FilterCategory::Parser;
    else if (has("Decoder") || has("Depayloader"))
        category = FilterCategory::Decoder;
    else if (has("Encoder"))
        category = FilterCategory::Encoder;
    else if (has("Muxer"))
        category = FilterCategory::Multiplexer;
    else if (has("Converter"))
        category = FilterCategory::Converter;
    else if (has("Source"))
        category = FilterCategory::Source;
    else if (has("Sink") && has("File"))
        category = FilterCategory::Writer;
    else if (has("Sink") && (has("Audio") || has("Video")))
        category = FilterCategory::Renderer;
    else
        return false;
    return true;
}

FilterMapper::FilterMapper() {
    EnsureGstInitialized();
    // Every factory: the element-type flags know no converters.
    GList* factories = gst_registry_get_feature_list(gst_registry_get(), GST_TYPE_ELEMENT_FACTORY);
    for (GList* l = factories; l; l = l->next) {
        auto* factory = GST_ELEMENT_FACTORY(l->data);
        const char* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
        const char* name = GST_OBJECT_NAME(factory);
        FilterInfo info;
        if (!klass || !name || Excluded(name, klass) || !CategoryFromKlass(klass, info.category))
            continue;
        const char* longName =
            gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME);
        info.friendlyName = longName ? longName : name;
        info.factoryName = name;
        info.merit = MeritFromRank(gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)));
        // Only that one plugin's version matters: no other is looked up.
        const char* pluginName = gst_plugin_feature_get_plugin_name(GST_PLUGIN_FEATURE(factory));
        if (pluginName && pluginName == kSecondAdaptiveDemuxers)
            if (GstPlugin* plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory))) {
                const char* version = gst_plugin_get_version(plugin);
                info.merit = AdaptiveDemuxerMerit(pluginName, version ? version : "", info.merit);
                gst_object_unref(plugin);
            }
        // Encoders, multiplexers and file writers belong in graphs the player
        // builds on purpose, never in one it renders: like the original
        // system's, they are not for automatic use, whatever rank GStreamer's
        // encoding bins give them.
        if (info.category == FilterCategory::Encoder)
            info.merit = std::min(info.merit, MERIT_SW_COMPRESSOR);
        if (info.category == FilterCategory::Multiplexer || info.category == FilterCategory::Writer)
            info.merit = std::min(info.merit, MERIT_DO_NOT_USE);
        // GStreamer 1.22 ranks the VA decoders "none", out of autoplugging's
        // way; here a GPU decoder comes before the software ones for its
        // type wherever it may be used (DecoderChoice), and software takes
        // over when it fails.
        info.hardware = info.category == FilterCategory::Decoder &&
                        std::string_view(klass).find("Hardware") != std::string_view::npos;
        if (info.hardware) info.merit = std::max(info.merit, MERIT_PREFERRED);
        AddTemplates(factory, info);
        if (IsAudioDecoder(info)) {
            // What the filter's output pin gives (audio_decoder_filter.h).
            MediaType pcm{MEDIATYPE_Audio, MEDIASUBTYPE_PCM};
            pcm.bitsPerSample = 16;
            std::erase_if(info.outputTypes, [](const MediaType& t) { return t.IsAudio(); });
            info.outputTypes.insert(info.outputTypes.begin(), pcm);
        }
        filters_.push_back(std::move(info));
    }
    gst_plugin_feature_list_free(factories);

    for (FilterInfo named : NamedFilterInfos()) {
        if (GstElementFactory* f = gst_element_factory_find(named.factoryName.c_str())) {
            const bool keepInputs = !named.inputTypes.empty();
            const bool keepOutputs = !named.outputTypes.empty();
            FilterInfo fromFactory;
            fromFactory.category = named.category;
            AddTemplates(f, fromFactory);
            gst_object_unref(f);
            named.hasInputPins = fromFactory.hasInputPins;
            named.inputCaps = fromFactory.inputCaps;
            named.hasOutputPins = fromFactory.hasOutputPins &&
                                  named.category != FilterCategory::Renderer &&
                                  named.category != FilterCategory::Writer;
            if (!named.hasOutputPins) fromFactory.outputTypes.clear();
            named.dynamicOutputs = fromFactory.dynamicOutputs;
            if (!keepInputs) named.inputTypes = fromFactory.inputTypes;
            if (!keepOutputs) named.outputTypes = fromFactory.outputTypes;
            filters_.push_back(std::move(named));
        }
    }
    QualifyDuplicateNames(filters_);
    std::stable_sort(filters_.begin(), filters_.end(),
                     [](const FilterInfo& a, const FilterInfo& b) {
                         if (a.merit != b.merit) return a.merit > b.merit;
                         return a.friendlyName < b.friendlyName;
                     });
}

const FilterMapper& FilterMapper::Instance() {
    static const FilterMapper mapper;
    return mapper;
}

std::vector<const FilterInfo*> FilterMapper::EnumMatchingFilters(
    bool exactMatch, std::uint32_t minMerit, bool inputNeeded,
    const std::vector<MediaType>& inputTypes, bool outputNeeded,
    const std::vector<MediaType>& outputTypes) const {
    std::vector<const FilterInfo*> out;
    for (const FilterInfo& f : filters_) {
        if (f.merit < minMerit) continue;
        if (inputNeeded && !f.hasInputPins) continue;
        if (outputNeeded && !f.hasOutputPins) continue;
        const bool wildcards = f.named != NamedFilter::None;
        if (!inputTypes.empty() &&
            !TypeListMatches(f.inputTypes, inputTypes, exactMatch, wildcards))
            continue;
        if (!outputTypes.empty() &&
            !TypeListMatches(f.outputTypes, outputTypes, exactMatch, wildcards))
            continue;
        out.push_back(&f);
    }
    return out;
}

const FilterInfo* FilterMapper::Find(std::string_view friendlyName) const {
    for (const FilterInfo& f : filters_)
        if (f.friendlyName == friendlyName) return &f;
    return nullptr;
}

const FilterInfo* FilterMapper::FindNamed(NamedFilter named) const {
    for (const FilterInfo& f : filters_)
        if (f.named == named) return &f;
    return nullptr;
}

std::shared_ptr<Filter> FilterMapper::Create(const FilterInfo& info) const {
    return CreateFilter(info);
}

std::shared_ptr<Filter> FilterMapper::CreateByName(std::string_view friendlyName) const {
    const FilterInfo* info = Find(friendlyName);
    return info ? Create(*info) : nullptr;
}

}  // namespace quova::engine
