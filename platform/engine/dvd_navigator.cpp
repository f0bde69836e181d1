#include "platform/engine/dvd_navigator.h"

#include <dvdnav/dvdnav.h>
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/engine/dvd_packets.h"

namespace quova::engine {

namespace fs = std::filesystem;

struct DvdDiscFacts {
    std::uint32_t volumes = 1, volume = 1, side = 1, titles = 0;
    std::uint64_t discId = 0;
    std::vector<int> titleSets;  // title set of each title (index title - 1)
    bool hasParentalTable = false;
};

namespace {

constexpr std::int64_t kLeadNs = 150 * GST_MSECOND;
enum AudioBranch { BranchAc3 = 0, BranchMpeg = 1, BranchLpcm = 2, BranchDts = 3 };

GstElement* MakeFirst(std::initializer_list<const char*> factories) {
    for (const char* f : factories)
        if (GstElement* e = gst_element_factory_make(f, nullptr)) return e;
    return nullptr;
}

GstElement* MakeSource(GstBin* bin, const char* caps, guint64 maxBytes) {
    GstElement* src = gst_element_factory_make("appsrc", nullptr);
    GstCaps* c = gst_caps_from_string(caps);
    g_object_set(src, "caps", c, "format", GST_FORMAT_TIME, "is-live", FALSE, "block", TRUE,
                 "max-bytes", maxBytes, "max-time", static_cast<guint64>(500 * GST_MSECOND),
                 "emit-signals", FALSE, nullptr);
    gst_caps_unref(c);
    gst_bin_add(bin, src);
    return src;
}

// Links a chain of elements already in `bin`; false when one is missing.
bool Chain(GstBin* bin, std::initializer_list<GstElement*> elements) {
    GstElement* previous = nullptr;
    for (GstElement* e : elements) {
        if (!e) return false;
        if (!GST_OBJECT_PARENT(e)) gst_bin_add(bin, e);
        if (previous && !gst_element_link(previous, e)) return false;
        previous = e;
    }
    return true;
}

std::uint32_t PackUops(const user_ops_t& u) {
    const unsigned bits[] = {u.title_or_time_play,
                             u.chapter_search_or_play,
                             u.title_play,
                             u.stop,
                             u.go_up,
                             u.time_or_chapter_search,
                             u.prev_or_top_pg_search,
                             u.next_pg_search,
                             u.forward_scan,
                             u.backward_scan,
                             u.title_menu_call,
                             u.root_menu_call,
                             u.subpic_menu_call,
                             u.audio_menu_call,
                             u.angle_menu_call,
                             u.chapter_menu_call,
                             u.resume,
                             u.button_select_or_activate,
                             u.still_off,
                             u.pause_on,
                             u.audio_stream_change,
                             u.subpic_stream_change,
                             u.angle_change,
                             u.karaoke_audio_pres_mode_change,
                             u.video_pres_mode_change};
    std::uint32_t flags = 0;
    for (unsigned i = 0; i < std::size(bits); ++i)
        if (bits[i]) flags |= 1u << i;
    return flags;
}

// Where libdvdread should look: the folder above VIDEO_TS, an image or a device.
std::string VolumeRoot(const std::string& path) {
    std::error_code ec;
    fs::path p(path);
    if (fs::is_directory(p, ec)) {
        std::string name = p.filename().string();
        if (name.empty()) name = p.parent_path().filename().string();
        std::transform(name.begin(), name.end(), name.begin(), ::toupper);
        if (name == "VIDEO_TS")
            return (p.filename().empty() ? p.parent_path() : p).parent_path().string();
        return path;
    }
    return path;
}

std::shared_ptr<DvdDiscFacts> ReadFacts(const std::string& root) {
    dvd_reader_t* dvd = DVDOpen(root.c_str());
    if (!dvd) return nullptr;
    ifo_handle_t* vmg = ifoOpen(dvd, 0);
    if (!vmg || !vmg->vmgi_mat || !vmg->tt_srpt) {
        if (vmg) ifoClose(vmg);
        DVDClose(dvd);
        return nullptr;
    }
    auto facts = std::make_shared<DvdDiscFacts>();
    facts->volumes = vmg->vmgi_mat->vmg_nr_of_volumes;
    facts->volume = vmg->vmgi_mat->vmg_this_volume_nr;
    facts->side = vmg->vmgi_mat->disc_side == 2 ? 2 : 1;
    facts->titles = vmg->tt_srpt->nr_of_srpts;
    for (unsigned i = 0; i < facts->titles; ++i)
        facts->titleSets.push_back(vmg->tt_srpt->title[i].title_set_nr);
    facts->hasParentalTable = vmg->ptl_mait != nullptr;
    unsigned char id[16] = {};
    if (DVDDiscID(dvd, id) == 0)
        for (int i = 0; i < 8; ++i) facts->discId = (facts->discId << 8) | (id[i] ^ id[i + 8]);
    ifoClose(vmg);
    DVDClose(dvd);
    return facts;
}

void SendDvdEvent(GstElement* src, GstStructure* s) {
    if (src) gst_element_send_event(src, gst_event_new_custom(GST_EVENT_CUSTOM_DOWNSTREAM, s));
}

// Straight to the blender, ahead of the data: a highlight must show at once,
// also over a still picture.
void SendNow(GstElement* spu, GstStructure* s) {
    GstPad* pad = spu ? gst_element_get_static_pad(spu, "subpicture") : nullptr;
    // Before its subpicture pad has caps the blender knows no input type: it
    // ignores the event then and, in GStreamer 1.22, never frees it.
    if (!pad || !gst_pad_has_current_caps(pad)) {
        if (pad) gst_object_unref(pad);
        gst_structure_free(s);
        return;
    }
    gst_pad_send_event(pad, gst_event_new_custom(GST_EVENT_CUSTOM_DOWNSTREAM_OOB, s));
    gst_object_unref(pad);
}

}  // namespace

// The probes that drop data read before a jump and note what the renderers
// are shown.
struct DvdNavigatorProbe {
    static GstPadProbeReturn Drop(GstPad*, GstPadProbeInfo* info, gpointer data) {
        auto* self = static_cast<DvdNavigatorFilter*>(data);
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        if (buffer && GST_BUFFER_OFFSET(buffer) < self->generation_.load())
            return GST_PAD_PROBE_DROP;
        return GST_PAD_PROBE_OK;
    }
    static GstPadProbeReturn Shown(GstPad*, GstPadProbeInfo* info, gpointer data) {
        auto* self = static_cast<DvdNavigatorFilter*>(data);
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        if (!buffer || !GST_BUFFER_PTS_IS_VALID(buffer)) return GST_PAD_PROBE_OK;
        const auto pts = static_cast<std::int64_t>(GST_BUFFER_PTS(buffer));
        std::lock_guard guard(self->anchorLock_);
        auto& a = self->anchors_;
        while (a.size() > 1 && a[1].running <= pts) a.pop_front();
        if (!a.empty() && a.front().running <= pts + 40 * GST_MSECOND) {
            self->played_ = a.front();
            self->playedNs_ = std::max(pts, a.front().running);
            self->havePlayed_ = true;
        }
        return GST_PAD_PROBE_OK;
    }
    static void NeedData(GstAppSrc*, guint, gpointer data) {
        static_cast<DvdNavigatorFilter*>(data)->Started();
    }
};

DvdNavigatorFilter::DvdNavigatorFilter(FilterInfo info)
    : Filter(std::move(info), gst_bin_new(nullptr)) {
    Build();
    reader_ = std::thread([this] { ReadLoop(); });
}

DvdNavigatorFilter::~DvdNavigatorFilter() {
    {
        std::lock_guard guard(lock_);
        quit_ = true;
    }
    wake_.notify_all();
    gst_element_set_state(element_, GST_STATE_NULL);
    if (reader_.joinable()) reader_.join();
    if (nav_) dvdnav_close(nav_);
    // The selector's request pads are ours from the request on.
    for (GstPad*& pad : selectorPads_) {
        if (!pad) continue;
        gst_element_release_request_pad(selector_, pad);
        gst_object_unref(pad);
        pad = nullptr;
    }
}

void DvdNavigatorFilter::Build() {
    GstBin* bin = GST_BIN(element_);
    videoSrc_ = MakeSource(bin, "video/mpeg,mpegversion=2,systemstream=false", 4 << 20);
    spuSrc_ = MakeSource(bin, "subpicture/x-dvd", 1 << 20);
    spu_ = gst_element_factory_make("dvdspu", nullptr);
    GstElement* convert = gst_element_factory_make("videoconvert", nullptr);
    Chain(bin, {videoSrc_, gst_element_factory_make("mpegvideoparse", nullptr),
                MakeFirst({"mpeg2dec", "avdec_mpeg2video"}), spu_, convert});
    if (spu_) gst_element_link_pads(spuSrc_, "src", spu_, "subpicture");

    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = DvdNavigatorProbe::NeedData;
    gst_app_src_set_callbacks(GST_APP_SRC(videoSrc_), &callbacks, this, nullptr);

    selector_ = gst_element_factory_make("input-selector", nullptr);
    gst_bin_add(bin, selector_);
    struct Route {
        const char* caps;
        std::initializer_list<const char*> parse;
        std::initializer_list<const char*> decode;
    };
    const Route routes[4] = {
        {"audio/x-ac3", {"identity"}, {"a52dec", "avdec_ac3"}},
        {"audio/mpeg,mpegversion=1", {"mpegaudioparse"}, {"mpg123audiodec", "avdec_mp2float"}},
        {"audio/x-private1-lpcm", {"identity"}, {"dvdlpcmdec"}},
        {"audio/x-dts", {"dcaparse"}, {"dtsdec", "avdec_dca"}},
    };
    for (int i = 0; i < 4; ++i) {
        GstElement* parse = MakeFirst(routes[i].parse);
        GstElement* decode = MakeFirst(routes[i].decode);
        if (!parse || !decode) {
            if (parse) gst_object_unref(gst_object_ref_sink(parse));
            if (decode) gst_object_unref(gst_object_ref_sink(decode));
            continue;
        }
        GstElement* src = MakeSource(bin, routes[i].caps, 1 << 20);
        GstElement* caps = gst_element_factory_make("capsfilter", nullptr);
        GstCaps* c = gst_caps_from_string("audio/x-raw,format=S16LE,rate=48000,channels=2");
        g_object_set(caps, "caps", c, nullptr);
        gst_caps_unref(c);
        if (!Chain(bin, {src, parse, decode, gst_element_factory_make("audioconvert", nullptr),
                         gst_element_factory_make("audioresample", nullptr), caps}))
            continue;
        GstPad* out = gst_element_get_static_pad(caps, "src");
        GstPad* in = gst_element_request_pad_simple(selector_, "sink_%u");
        gst_pad_link(out, in);
        gst_object_unref(out);
        selectorPads_[i] = in;
        audioSrc_[i] = src;
    }
    for (GstElement* src :
         {videoSrc_, spuSrc_, audioSrc_[0], audioSrc_[1], audioSrc_[2], audioSrc_[3]}) {
        if (!src) continue;
        GstPad* pad = gst_element_get_static_pad(src, "src");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, DvdNavigatorProbe::Drop, this, nullptr);
        gst_object_unref(pad);
    }
    if (convert) {
        GstPad* pad = gst_element_get_static_pad(convert, "src");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, DvdNavigatorProbe::Shown, this, nullptr);
        gst_object_unref(pad);
    }
}

void DvdNavigatorFilter::CreatePins() {
    GstBin* bin = GST_BIN(element_);
    // The video chain ends in the last element added before the selector.
    GstElement* convert = nullptr;
    GstIterator* it = gst_bin_iterate_elements(bin);
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* e = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* f = gst_element_get_factory(e);
        if (f && std::strcmp(GST_OBJECT_NAME(f), "videoconvert") == 0) convert = e;
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    if (convert) {
        GstPad* target = gst_element_get_static_pad(convert, "src");
        GstPad* ghost = gst_ghost_pad_new("Video", target);
        gst_object_unref(target);
        gst_element_add_pad(element_, ghost);
        AddPin("Video", PinDirection::Output, ghost);
    }
    if (selector_) {
        GstPad* target = gst_element_get_static_pad(selector_, "src");
        GstPad* ghost = gst_ghost_pad_new("Audio", target);
        gst_object_unref(target);
        gst_element_add_pad(element_, ghost);
        AddPin("Audio", PinDirection::Output, ghost);
    }
}

HResult DvdNavigatorFilter::Load(const std::string& requested) {
    std::string path = requested;
    std::error_code ec;
    if (path.empty()) {
        for (const char* device : {"/dev/dvd", "/dev/sr0"})
            if (fs::exists(device, ec)) {
                path = device;
                break;
            }
        if (path.empty()) return VFW_E_DVD_INVALID_DISC;
    }
    if (!fs::exists(path, ec)) return VFW_E_DVD_INVALID_DISC;
    const std::string root = VolumeRoot(path);
    auto facts = ReadFacts(root);
    if (!facts || facts->titles == 0) return VFW_E_DVD_INVALID_DISC;
    dvdnav_t* nav = nullptr;
    if (dvdnav_open(&nav, root.c_str()) != DVDNAV_STATUS_OK || !nav) return VFW_E_DVD_INVALID_DISC;
    dvdnav_set_readahead_flag(nav, 1);
    dvdnav_set_PGC_positioning_flag(nav, 1);
    dvdnav_menu_language_select(nav, const_cast<char*>("en"));
    dvdnav_audio_language_select(nav, const_cast<char*>("en"));
    dvdnav_spu_language_select(nav, const_cast<char*>("en"));
    std::lock_guard guard(lock_);
    if (nav_) dvdnav_close(nav_);
    nav_ = nav;
    facts_ = std::move(facts);
    path_ = root;
    return S_OK;
}

void DvdNavigatorFilter::Realising() {
    {
        std::lock_guard guard(lock_);
        blenderKnowsFormat_ = false;
    }
    // Menus without sound, stills and scans leave the audio renderer without
    // data, so its clock would stand still: the disc keeps to the system's.
    GstElement* top = element_;
    while (GstObject* parent = GST_OBJECT_PARENT(top)) top = GST_ELEMENT(parent);
    if (GST_IS_PIPELINE(top)) {
        GstClock* clock = gst_system_clock_obtain();
        gst_pipeline_use_clock(GST_PIPELINE(top), clock);
        gst_object_unref(clock);
    }
}

void DvdNavigatorFilter::Started() {
    {
        std::lock_guard guard(lock_);
        running_ = true;
    }
    wake_.notify_all();
}

void DvdNavigatorFilter::Post(long code, std::intptr_t param1, std::intptr_t param2) {
    GstStructure* s =
        gst_structure_new("quova-graph-event", "code", G_TYPE_INT64, static_cast<gint64>(code),
                          "param1", G_TYPE_INT64, static_cast<gint64>(param1), "param2",
                          G_TYPE_INT64, static_cast<gint64>(param2), nullptr);
    gst_element_post_message(element_, gst_message_new_application(GST_OBJECT(element_), s));
}

std::int64_t DvdNavigatorFilter::NowRunning() const {
    GstElement* top = element_;
    while (GstObject* parent = GST_OBJECT_PARENT(top)) top = GST_ELEMENT(parent);
    if (GST_STATE(top) == GST_STATE_PLAYING) {
        if (GstClock* clock = gst_element_get_clock(top)) {
            const GstClockTime now = gst_clock_get_time(clock);
            gst_object_unref(clock);
            const GstClockTime base = gst_element_get_base_time(top);
            if (now >= base) return static_cast<std::int64_t>(now - base);
        }
    }
    const GstClockTime start = gst_element_get_start_time(top);
    return GST_CLOCK_TIME_IS_VALID(start) ? static_cast<std::int64_t>(start) : 0;
}

std::int64_t DvdNavigatorFilter::Running(std::int64_t pts90k) const {
    const double rate = rate_.load() > 0 ? rate_.load() : 1.0;
    return segNs_ + static_cast<std::int64_t>((pts90k - segPts_) * 100000.0 / 9.0 / rate);
}

std::uint32_t DvdNavigatorFilter::DomainLocked() const {
    if (stopped_ || !nav_) return DVD_DOMAIN_Stop;
    if (dvdnav_is_domain_vts(nav_)) return DVD_DOMAIN_Title;
    if (dvdnav_is_domain_vtsm(nav_)) return DVD_DOMAIN_VideoTitleSetMenu;
    if (dvdnav_is_domain_vmgm(nav_)) return DVD_DOMAIN_VideoManagerMenu;
    return DVD_DOMAIN_FirstPlay;
}

void DvdNavigatorFilter::Jumped() {
    generation_.fetch_add(1);
    discontinuity_ = true;
    lastEndNs_ = 0;
    lastEndPts_ = -1;
    segPts_ = -1;
    stopped_ = false;
    sentButton_ = -1;
    {
        std::lock_guard guard(anchorLock_);
        anchors_.clear();
    }
    wake_.notify_all();
}

void DvdNavigatorFilter::ReadLoop() {
    std::vector<std::uint8_t> block(DVD_VIDEO_LB_LEN);
    std::unique_lock lock(lock_);
    bool warned = false;
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || (running_ && !stopped_ && nav_); });
        if (quit_) break;
        int event = DVDNAV_NOP;
        int length = 0;
        std::uint8_t* data = block.data();
        if (dvdnav_get_next_block(nav_, data, &event, &length) != DVDNAV_STATUS_OK) {
            if (!warned) Post(EC_DVD_WARNING, DVD_WARNING_Read, 0);
            warned = true;
            if (++badReads_ >= 16) {
                // The disc cannot be read on: say so once and stop where we are.
                stopped_ = true;
                badReads_ = 0;
                Post(EC_DVD_ERROR, DVD_ERROR_Unexpected, 0);
                domain_ = DVD_DOMAIN_Stop;
                Post(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Stop, 0);
                Post(EC_DVD_PLAYBACK_STOPPED, 0, 0);
            }
            continue;
        }
        badReads_ = 0;
        warned = false;
        CatchUpWithTheBlender();
        HandleBlock(event, data, length, lock);
    }
}

bool DvdNavigatorFilter::HandleBlock(int event, const std::uint8_t* data, int length,
                                     std::unique_lock<std::mutex>& lock) {
    switch (event) {
        case DVDNAV_BLOCK_OK: {
            const auto packets = SplitDvdPack(data, static_cast<std::size_t>(length));
            for (const DvdPacket& p : packets) {
                GstElement* target = nullptr;
                switch (p.kind) {
                    case DvdPacket::Video:
                        target = videoSrc_;
                        break;
                    case DvdPacket::Subpicture:
                        if (p.stream == spuPhysical_) target = spuSrc_;
                        break;
                    default: {
                        if (p.stream != audioPhysical_ || rate_.load() != 1.0) break;
                        const int branch = p.kind == DvdPacket::Ac3         ? BranchAc3
                                           : p.kind == DvdPacket::MpegAudio ? BranchMpeg
                                           : p.kind == DvdPacket::Lpcm      ? BranchLpcm
                                                                            : BranchDts;
                        if (!audioSrc_[branch]) break;
                        if (branch != selectedBranch_) {
                            g_object_set(selector_, "active-pad", selectorPads_[branch], nullptr);
                            selectedBranch_ = branch;
                        }
                        target = audioSrc_[branch];
                    }
                }
                if (target && !PushPacket(target, p.data, p.size, p.hasPts, p.pts, lock))
                    return false;
            }
            return true;
        }
        case DVDNAV_NAV_PACKET:
            NavPacket();
            return true;
        case DVDNAV_STILL_FRAME: {
            const auto* still = reinterpret_cast<const dvdnav_still_event_t*>(data);
            pci_t* pci = dvdnav_get_current_nav_pci(nav_);
            const bool buttons = pci && pci->hli.hl_gi.hli_ss && pci->hli.hl_gi.btn_ns > 0;
            WaitInStill(still->length, buttons, lock);
            return true;
        }
        case DVDNAV_WAIT:
            dvdnav_wait_skip(nav_);
            return true;
        case DVDNAV_SPU_CLUT_CHANGE: {
            GstStructure* s = gst_structure_new("application/x-gst-dvd", "event", G_TYPE_STRING,
                                                "dvd-spu-clut-change", nullptr);
            const auto* clut = reinterpret_cast<const std::uint32_t*>(data);
            for (int i = 0; i < 16; ++i) {
                char name[8];
                std::snprintf(name, sizeof name, "clut%02d", i);
                gst_structure_set(s, name, G_TYPE_INT, static_cast<int>(clut[i]), nullptr);
            }
            SendDvdEvent(spuSrc_, s);
            return true;
        }
        case DVDNAV_SPU_STREAM_CHANGE:
        case DVDNAV_AUDIO_STREAM_CHANGE:
            UpdateStreams();
            return true;
        case DVDNAV_VTS_CHANGE:
            discontinuity_ = true;
            CellChanged();
            return true;
        case DVDNAV_CELL_CHANGE:
            CellChanged();
            return true;
        case DVDNAV_HOP_CHANNEL:
            discontinuity_ = true;
            return true;
        case DVDNAV_HIGHLIGHT: {
            SendHighlight();
            std::int32_t button = 0;
            dvdnav_get_current_highlight(nav_, &button);
            pci_t* pci = dvdnav_get_current_nav_pci(nav_);
            Post(EC_DVD_BUTTON_CHANGE, pci ? pci->hli.hl_gi.btn_ns : 0, button);
            return true;
        }
        case DVDNAV_STOP:
            stopped_ = true;
            if (domain_ != DVD_DOMAIN_Stop) {
                domain_ = DVD_DOMAIN_Stop;
                Post(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Stop, 0);
            }
            Post(EC_DVD_PLAYBACK_STOPPED, 0, 0);
            return false;
        default:
            return true;
    }
}

bool DvdNavigatorFilter::PushPacket(GstElement* src, const std::uint8_t* data, std::size_t size,
                                    bool hasPts, std::int64_t pts90k,
                                    std::unique_lock<std::mutex>& lock) {
    if (!src || size == 0) return true;
    GstBuffer* buffer = gst_buffer_new_memdup(data, size);
    GST_BUFFER_OFFSET(buffer) = generation_.load();
    if (hasPts && segPts_ >= 0)
        GST_BUFFER_PTS(buffer) =
            static_cast<GstClockTime>(std::max<std::int64_t>(0, Running(pts90k)));
    lock.unlock();
    const GstFlowReturn flow = gst_app_src_push_buffer(GST_APP_SRC(src), buffer);
    lock.lock();
    if (flow == GST_FLOW_FLUSHING) {
        running_ = false;
        return false;
    }
    return true;
}

void DvdNavigatorFilter::NavPacket() {
    pci_t* pci = dvdnav_get_current_nav_pci(nav_);
    if (!pci) return;
    const std::int64_t start = pci->pci_gi.vobu_s_ptm;
    const std::int64_t end = pci->pci_gi.vobu_e_ptm;
    const double rate = rate_.load() > 0 ? rate_.load() : 1.0;
    // The timeline: (segPts_, segNs_) maps the disc's times to the
    // renderers'. A VOBU that does not follow on from the last one starts a
    // new stretch no earlier than what was already handed on, nor than now.
    if (discontinuity_ || start != lastEndPts_ || segPts_ < 0) {
        segNs_ = std::max(lastEndNs_, NowRunning() + kLeadNs);
        segPts_ = start;
        discontinuity_ = false;
    }
    const std::int64_t startNs = Running(start);
    lastEndPts_ = end;
    lastEndNs_ = Running(end);
    (void)rate;

    const std::uint32_t uops = PackUops(pci->pci_gi.vobu_uop_ctl);
    if (uops != uops_) {
        uops_ = uops;
        Post(EC_DVD_VALID_UOPS_CHANGE, uops, 0);
    }
    CellChanged();
    if (pci->hli.hl_gi.hli_ss && pci->hli.hl_gi.btn_ns > 0) {
        std::int32_t button = 0;
        dvdnav_get_current_highlight(nav_, &button);
        if (button != sentButton_) SendHighlight();
    }
    if (domain_ == DVD_DOMAIN_Title) {
        titleTime_ = dvdnav_get_current_time(nav_);
    } else {
        titleTime_ = 0;
    }
    {
        std::lock_guard guard(anchorLock_);
        anchors_.push_back({startNs, domain_, title_, chapter_, titleTime_});
        if (anchors_.size() > 256) anchors_.pop_front();
    }
    if (domain_ == DVD_DOMAIN_Title) {
        const auto second = static_cast<std::uint32_t>(titleTime_ / 90000);
        if (second != lastSecond_) {
            lastSecond_ = second;
            const DVD_HMSF_TIMECODE t = TimecodeFromTicks(titleTime_, 25);
            if (hmsfEvents_) {
                Post(EC_DVD_CURRENT_HMSF_TIME, PackTimecode(t), DVD_TC_FLAG_25fps);
            } else {
                auto bcd = [](int v) { return ((v / 10) << 4) | (v % 10); };
                Post(EC_DVD_CURRENT_TIME,
                     (bcd(t.bHours) << 24) | (bcd(t.bMinutes) << 16) | (bcd(t.bSeconds) << 8) |
                         (1 << 6) | bcd(t.bFrames),
                     0);
            }
        }
    }
    // Backward scan: hop back a little at a time through the title.
    if (rate_.load() < 0 && domain_ == DVD_DOMAIN_Title) {
        const auto now = std::chrono::steady_clock::now();
        if (now - lastHop_ >= std::chrono::milliseconds(300)) {
            lastHop_ = now;
            const std::int64_t step =
                static_cast<std::int64_t>(-rate_.load() * 0.3 * 90000) + 45000;
            if (titleTime_ - step <= 0) {
                rate_.store(1.0);
                Post(EC_DVD_PLAYBACK_RATE_CHANGE, 10000, 0);
                dvdnav_time_search(nav_, 0);
            } else {
                dvdnav_time_search(nav_, static_cast<std::uint64_t>(titleTime_ - step));
            }
            Jumped();
        }
    }
}

void DvdNavigatorFilter::CellChanged() {
    const std::uint32_t domain = DomainLocked();
    const bool domainChanged = domain != domain_;
    if (domainChanged) {
        domain_ = domain;
        Post(EC_DVD_DOMAIN_CHANGE, domain, 0);
    }
    std::int32_t title = 0, part = 0;
    if (domain == DVD_DOMAIN_Title &&
        dvdnav_current_title_info(nav_, &title, &part) == DVDNAV_STATUS_OK) {
        bool titleChanged = false;
        if (static_cast<std::uint32_t>(title) != title_) {
            title_ = static_cast<std::uint32_t>(title);
            chapter_ = 0;
            lastSecond_ = 0xFFFFFFFF;
            titleChanged = true;
            Post(EC_DVD_TITLE_CHANGE, title, 0);
        }
        if (part > 0 && static_cast<std::uint32_t>(part) != chapter_) {
            chapter_ = static_cast<std::uint32_t>(part);
            Post(EC_DVD_CHAPTER_START, part, 0);
        }
        if (titleChanged || domainChanged) ClearSubpicture();
    } else if (domainChanged) {
        title_ = 0;
        chapter_ = 0;
        ClearSubpicture();
    }
    std::int32_t angle = 1, angles = 1;
    if (dvdnav_get_angle_info(nav_, &angle, &angles) == DVDNAV_STATUS_OK && angles > 0 &&
        (static_cast<std::uint32_t>(angle) != angle_ ||
         static_cast<std::uint32_t>(angles) != angles_)) {
        angle_ = static_cast<std::uint32_t>(angle);
        angles_ = static_cast<std::uint32_t>(angles);
        Post(EC_DVD_ANGLE_CHANGE, angles, angle);
    }
    UpdateStreams();
}

void DvdNavigatorFilter::ClearSubpicture() {
    // A sub-picture unit that only stops the display ends whatever the last
    // domain left on the picture (menu buttons over a film, say).
    static const std::uint8_t kStop[] = {0x00, 0x0A, 0x00, 0x04, 0x00,
                                         0x00, 0x00, 0x04, 0x02, 0xFF};
    sentButton_ = -1;
    SendNow(spu_, gst_structure_new("application/x-gst-dvd", "event", G_TYPE_STRING,
                                    "dvd-spu-reset-highlight", nullptr));
    if (!spuSrc_) return;
    GstBuffer* buffer = gst_buffer_new_memdup(kStop, sizeof kStop);
    GST_BUFFER_OFFSET(buffer) = generation_.load();
    GST_BUFFER_PTS(buffer) =
        static_cast<GstClockTime>(std::max(lastEndNs_, NowRunning() + kLeadNs) - kLeadNs / 2);
    gst_app_src_push_buffer(GST_APP_SRC(spuSrc_), buffer);
}

int DvdNavigatorFilter::PhysicalAudio(int logical) const {
    if (!nav_ || logical < 0 || logical > 7) return -1;
    for (int p = 0; p < 8; ++p)
        if (dvdnav_get_audio_logical_stream(nav_, static_cast<std::uint8_t>(p)) == logical)
            return p;
    return -1;
}

int DvdNavigatorFilter::PhysicalSubpicture(int logical) const {
    if (!nav_ || logical < 0 || logical > 31) return -1;
    for (int p = 0; p < 32; ++p)
        if (dvdnav_get_spu_logical_stream(nav_, static_cast<std::uint8_t>(p)) == logical) return p;
    return -1;
}

void DvdNavigatorFilter::UpdateStreams() {
    if (!nav_) return;
    const bool title = domain_ == DVD_DOMAIN_Title;
    int audio = dvdnav_get_active_audio_stream(nav_);
    if (title && userAudio_ >= 0 && PhysicalAudio(userAudio_) >= 0)
        audio = PhysicalAudio(userAudio_);
    audioPhysical_ = audio;
    const int audioLogical =
        audio >= 0 ? dvdnav_get_audio_logical_stream(nav_, static_cast<std::uint8_t>(audio)) : -1;
    if (title && audioLogical != announcedAudio_) {
        announcedAudio_ = audioLogical;
        if (audioLogical >= 0) Post(EC_DVD_AUDIO_STREAM_CHANGE, audioLogical, 0);
    }

    const int raw = dvdnav_get_active_spu_stream(nav_);
    int spu = raw < 0 ? -1 : (raw & 0x1F);
    bool shown = raw >= 0 && !(raw & 0x80);
    if (title && userSpu_ >= 0 && PhysicalSubpicture(userSpu_) >= 0)
        spu = PhysicalSubpicture(userSpu_);
    if (title && userSpuOn_ >= 0) shown = userSpuOn_ == 1;
    if (!title) shown = false;  // menus show their forced buttons only
    const bool changed = spu != spuPhysical_ || shown != spuShown_;
    spuPhysical_ = spu;
    spuShown_ = shown;
    if (changed) SendSubpictureMode();
    const int spuLogical =
        spu >= 0 ? dvdnav_get_spu_logical_stream(nav_, static_cast<std::uint8_t>(spu)) : -1;
    if (title && spuLogical >= 0 && (spuLogical != announcedSpu_ || changed)) {
        announcedSpu_ = spuLogical;
        Post(EC_DVD_SUBPICTURE_STREAM_CHANGE, spuLogical, shown ? 1 : 0);
    }
}

void DvdNavigatorFilter::SendSubpictureMode() {
    SendNow(spu_, gst_structure_new("application/x-gst-dvd", "event", G_TYPE_STRING,
                                    "dvd-set-subpicture-track", "forced-only", G_TYPE_BOOLEAN,
                                    !spuShown_, nullptr));
}

namespace {

bool SubpictureFormatKnown(GstElement* spu) {
    GstPad* pad = spu ? gst_element_get_static_pad(spu, "subpicture") : nullptr;
    if (!pad) return true;
    // Caps are kept on the pad only after the blender has handled them.
    const bool known = gst_pad_has_current_caps(pad);
    gst_object_unref(pad);
    return known;
}

}  // namespace

void DvdNavigatorFilter::CatchUpWithTheBlender() {
    // Learning the sub-picture stream's format resets the blender: it forgets
    // the highlight and that it is in a still. On a busy machine that comes
    // after both were sent, and a menu would show without its buttons.
    if (blenderKnowsFormat_ || !SubpictureFormatKnown(spu_)) return;
    blenderKnowsFormat_ = true;
    if (inStill_.load()) gst_element_send_event(videoSrc_, gst_video_event_new_still_frame(TRUE));
    SendHighlight();
}

void DvdNavigatorFilter::SendHighlight() {
    if (!nav_) return;
    pci_t* pci = dvdnav_get_current_nav_pci(nav_);
    std::int32_t button = 0;
    dvdnav_get_current_highlight(nav_, &button);
    dvdnav_highlight_area_t area{};
    if (!pci || !pci->hli.hl_gi.hli_ss || button <= 0 || button > pci->hli.hl_gi.btn_ns ||
        dvdnav_get_highlight_area(pci, button, 0, &area) != DVDNAV_STATUS_OK) {
        sentButton_ = 0;
        SendNow(spu_, gst_structure_new("application/x-gst-dvd", "event", G_TYPE_STRING,
                                        "dvd-spu-reset-highlight", nullptr));
        return;
    }
    sentButton_ = button;
    SendNow(spu_, gst_structure_new("application/x-gst-dvd", "event", G_TYPE_STRING,
                                    "dvd-spu-highlight", "button", G_TYPE_INT, button, "palette",
                                    G_TYPE_INT, static_cast<int>(area.palette), "sx", G_TYPE_INT,
                                    static_cast<int>(area.sx), "sy", G_TYPE_INT,
                                    static_cast<int>(area.sy), "ex", G_TYPE_INT,
                                    static_cast<int>(area.ex), "ey", G_TYPE_INT,
                                    static_cast<int>(area.ey), nullptr));
}

void DvdNavigatorFilter::WaitInStill(int seconds, bool buttons,
                                     std::unique_lock<std::mutex>& lock) {
    if (!inStill_.exchange(true)) {
        stillOff_ = false;
        stillButtons_ = buttons;
        Post(EC_DVD_STILL_ON, buttons ? 1 : 0,
             seconds >= 0xFF ? std::intptr_t{0xFFFFFFFF} : seconds);
        // The decoder gives up the last picture and the blender redraws it
        // when the highlight changes.
        gst_element_send_event(videoSrc_, gst_video_event_new_still_frame(TRUE));
        stillEnds_ = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    }
    const std::uint64_t generation = generation_.load();
    while (!quit_ && !stillOff_ && running_ && generation_.load() == generation &&
           (seconds >= 0xFF || std::chrono::steady_clock::now() < stillEnds_)) {
        wake_.wait_for(lock, std::chrono::milliseconds(40));
        CatchUpWithTheBlender();
    }
    if (quit_ || !running_) return;  // the still goes on when the data flows again
    // After a jump too: the navigator would otherwise hold the old still.
    dvdnav_still_skip(nav_);
    stillOff_ = false;
    inStill_.store(false);
    gst_element_send_event(videoSrc_, gst_video_event_new_still_frame(FALSE));
    Post(EC_DVD_STILL_OFF, 0, 0);
}

HResult DvdNavigatorFilter::CheckUop(std::uint32_t flag) const {
    return (uops_ & flag) ? VFW_E_DVD_OPERATION_INHIBITED : S_OK;
}

// --- Control

#define QUOVA_NAV_GUARD()          \
    std::unique_lock guard(lock_); \
    if (!nav_) return VFW_E_DVD_GRAPHNOTREADY

HResult DvdNavigatorFilter::PlayTitle(std::uint32_t title, std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (!facts_ || title < 1 || title > facts_->titles) return E_INVALIDARG;
    if (Failed(CheckUop(UOP_FLAG_Play_Title))) return VFW_E_DVD_OPERATION_INHIBITED;
    if (dvdnav_title_play(nav_, static_cast<std::int32_t>(title)) != DVDNAV_STATUS_OK)
        return VFW_E_DVD_INVALIDDOMAIN;
    Jumped();
    return S_OK;
}

HResult DvdNavigatorFilter::PlayChapterInTitle(std::uint32_t title, std::uint32_t chapter,
                                               std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (!facts_ || title < 1 || title > facts_->titles || chapter < 1) return E_INVALIDARG;
    if (Failed(CheckUop(UOP_FLAG_Play_Chapter))) return VFW_E_DVD_OPERATION_INHIBITED;
    if (dvdnav_part_play(nav_, static_cast<std::int32_t>(title),
                         static_cast<std::int32_t>(chapter)) != DVDNAV_STATUS_OK)
        return E_INVALIDARG;
    Jumped();
    return S_OK;
}

HResult DvdNavigatorFilter::PlayAtTime(const DVD_HMSF_TIMECODE& time, std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (domain_ != DVD_DOMAIN_Title) return VFW_E_DVD_INVALIDDOMAIN;
    if (Failed(CheckUop(UOP_FLAG_Play_Chapter_Or_AtTime))) return VFW_E_DVD_OPERATION_INHIBITED;
    const auto ticks =
        static_cast<std::uint64_t>(TimecodeSeconds(time) * 90000 + time.bFrames * 3600);
    if (dvdnav_time_search(nav_, ticks) != DVDNAV_STATUS_OK) return E_INVALIDARG;
    Jumped();
    return S_OK;
}

HResult DvdNavigatorFilter::PlayNextChapter(std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (domain_ != DVD_DOMAIN_Title) return VFW_E_DVD_INVALIDDOMAIN;
    if (Failed(CheckUop(UOP_FLAG_PlayNext_Chapter))) return VFW_E_DVD_OPERATION_INHIBITED;
    if (dvdnav_next_pg_search(nav_) != DVDNAV_STATUS_OK) return VFW_E_DVD_OPERATION_INHIBITED;
    Jumped();
    return S_OK;
}

HResult DvdNavigatorFilter::PlayPrevChapter(std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (domain_ != DVD_DOMAIN_Title) return VFW_E_DVD_INVALIDDOMAIN;
    if (Failed(CheckUop(UOP_FLAG_PlayPrev_Or_Replay_Chapter))) return VFW_E_DVD_OPERATION_INHIBITED;
    if (dvdnav_prev_pg_search(nav_) != DVDNAV_STATUS_OK) return VFW_E_DVD_OPERATION_INHIBITED;
    Jumped();
    return S_OK;
}

HResult DvdNavigatorFilter::ShowMenu(std::uint32_t menu, std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (menu < DVD_MENU_Title || menu > DVD_MENU_Chapter) return E_INVALIDARG;
    const std::uint32_t uop = menu == DVD_MENU_Title ? UOP_FLAG_ShowMenu_Title
                              : menu == DVD_MENU_Root
                                  ? UOP_FLAG_ShowMenu_Root
                                  : (UOP_FLAG_ShowMenu_SubPic << (menu - DVD_MENU_Subpicture));
    if (Failed(CheckUop(uop))) return VFW_E_DVD_OPERATION_INHIBITED;
    if (dvdnav_menu_call(nav_, static_cast<DVDMenuID_t>(menu)) != DVDNAV_STATUS_OK)
        return VFW_E_DVD_MENU_DOES_NOT_EXIST;
    Jumped();
    return S_OK;
}

HResult DvdNavigatorFilter::Resume(std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (domain_ != DVD_DOMAIN_VideoManagerMenu && domain_ != DVD_DOMAIN_VideoTitleSetMenu)
        return VFW_E_DVD_INVALIDDOMAIN;
    if (Failed(CheckUop(UOP_FLAG_Resume))) return VFW_E_DVD_OPERATION_INHIBITED;
    if (dvdnav_menu_call(nav_, DVD_MENU_Escape) != DVDNAV_STATUS_OK)
        return VFW_E_DVD_NO_RESUME_INFORMATION;
    Jumped();
    return S_OK;
}

HResult DvdNavigatorFilter::SelectAtPosition(int x, int y) {
    QUOVA_NAV_GUARD();
    pci_t* pci = dvdnav_get_current_nav_pci(nav_);
    if (!pci || !pci->hli.hl_gi.hli_ss || pci->hli.hl_gi.btn_ns == 0) return VFW_E_DVD_NO_BUTTON;
    if (dvdnav_mouse_select(nav_, pci, x, y) != DVDNAV_STATUS_OK) return S_FALSE;
    SendHighlight();
    return S_OK;
}

HResult DvdNavigatorFilter::ActivateAtPosition(int x, int y) {
    QUOVA_NAV_GUARD();
    pci_t* pci = dvdnav_get_current_nav_pci(nav_);
    if (!pci || !pci->hli.hl_gi.hli_ss || pci->hli.hl_gi.btn_ns == 0) return VFW_E_DVD_NO_BUTTON;
    if (Failed(CheckUop(UOP_FLAG_Select_Or_Activate_Button))) return VFW_E_DVD_OPERATION_INHIBITED;
    if (dvdnav_mouse_activate(nav_, pci, x, y) != DVDNAV_STATUS_OK) return S_FALSE;
    Jumped();
    return S_OK;
}

HResult DvdNavigatorFilter::SelectRelativeButton(std::uint32_t direction) {
    QUOVA_NAV_GUARD();
    pci_t* pci = dvdnav_get_current_nav_pci(nav_);
    if (!pci || !pci->hli.hl_gi.hli_ss || pci->hli.hl_gi.btn_ns == 0) return VFW_E_DVD_NO_BUTTON;
    dvdnav_status_t status = DVDNAV_STATUS_ERR;
    switch (direction) {
        case DVD_Relative_Upper:
            status = dvdnav_upper_button_select(nav_, pci);
            break;
        case DVD_Relative_Lower:
            status = dvdnav_lower_button_select(nav_, pci);
            break;
        case DVD_Relative_Left:
            status = dvdnav_left_button_select(nav_, pci);
            break;
        case DVD_Relative_Right:
            status = dvdnav_right_button_select(nav_, pci);
            break;
        default:
            return E_INVALIDARG;
    }
    if (status != DVDNAV_STATUS_OK) return VFW_E_DVD_NO_BUTTON;
    SendHighlight();
    return S_OK;
}

HResult DvdNavigatorFilter::SelectButton(std::uint32_t button) {
    QUOVA_NAV_GUARD();
    pci_t* pci = dvdnav_get_current_nav_pci(nav_);
    if (!pci || !pci->hli.hl_gi.hli_ss || button < 1 || button > pci->hli.hl_gi.btn_ns)
        return VFW_E_DVD_NO_BUTTON;
    if (dvdnav_button_select(nav_, pci, static_cast<std::int32_t>(button)) != DVDNAV_STATUS_OK)
        return VFW_E_DVD_NO_BUTTON;
    SendHighlight();
    return S_OK;
}

HResult DvdNavigatorFilter::ActivateButton() {
    QUOVA_NAV_GUARD();
    pci_t* pci = dvdnav_get_current_nav_pci(nav_);
    if (!pci || !pci->hli.hl_gi.hli_ss || pci->hli.hl_gi.btn_ns == 0) return VFW_E_DVD_NO_BUTTON;
    if (dvdnav_button_activate(nav_, pci) != DVDNAV_STATUS_OK) return VFW_E_DVD_NO_BUTTON;
    Jumped();
    return S_OK;
}

HResult DvdNavigatorFilter::PlayForwards(double speed, std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (!(speed >= 0.1 && speed <= 64)) return E_INVALIDARG;
    if (speed != 1.0 && Failed(CheckUop(UOP_FLAG_Play_Forwards)))
        return VFW_E_DVD_OPERATION_INHIBITED;
    if (rate_.load() == speed) return S_OK;
    rate_.store(speed);
    Jumped();
    Post(EC_DVD_PLAYBACK_RATE_CHANGE, static_cast<std::intptr_t>(speed * 10000), 0);
    return S_OK;
}

HResult DvdNavigatorFilter::PlayBackwards(double speed, std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (!(speed >= 0.1 && speed <= 64)) return E_INVALIDARG;
    if (domain_ != DVD_DOMAIN_Title) return VFW_E_DVD_INVALIDDOMAIN;
    if (Failed(CheckUop(UOP_FLAG_Play_Backwards))) return VFW_E_DVD_OPERATION_INHIBITED;
    rate_.store(-speed);
    lastHop_ = {};
    Jumped();
    Post(EC_DVD_PLAYBACK_RATE_CHANGE, static_cast<std::intptr_t>(-speed * 10000), 0);
    return S_OK;
}

HResult DvdNavigatorFilter::SelectAngle(std::uint32_t angle, std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (domain_ != DVD_DOMAIN_Title) return VFW_E_DVD_INVALIDDOMAIN;
    if (angle < 1 || angle > angles_) return E_INVALIDARG;
    if (Failed(CheckUop(UOP_FLAG_Select_Angle))) return VFW_E_DVD_OPERATION_INHIBITED;
    if (dvdnav_angle_change(nav_, static_cast<std::int32_t>(angle)) != DVDNAV_STATUS_OK)
        return E_FAIL;
    angle_ = angle;
    Post(EC_DVD_ANGLE_CHANGE, angles_, angle);
    return S_OK;
}

HResult DvdNavigatorFilter::SelectAudioStream(std::uint32_t stream, std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (stream > 7) return E_INVALIDARG;
    if (domain_ != DVD_DOMAIN_Title) return VFW_E_DVD_INVALIDDOMAIN;
    if (Failed(CheckUop(UOP_FLAG_Select_Audio_Stream))) return VFW_E_DVD_OPERATION_INHIBITED;
    if (PhysicalAudio(static_cast<int>(stream)) < 0) return VFW_E_DVD_STREAM_DISABLED;
    userAudio_ = static_cast<int>(stream);
    UpdateStreams();
    return S_OK;
}

HResult DvdNavigatorFilter::SelectSubpictureStream(std::uint32_t stream, std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (stream > 31) return E_INVALIDARG;
    if (domain_ != DVD_DOMAIN_Title) return VFW_E_DVD_INVALIDDOMAIN;
    if (Failed(CheckUop(UOP_FLAG_Select_SubPic_Stream))) return VFW_E_DVD_OPERATION_INHIBITED;
    if (PhysicalSubpicture(static_cast<int>(stream)) < 0) return VFW_E_DVD_STREAM_DISABLED;
    userSpu_ = static_cast<int>(stream);
    UpdateStreams();
    return S_OK;
}

HResult DvdNavigatorFilter::SetSubpictureState(bool on, std::uint32_t) {
    QUOVA_NAV_GUARD();
    if (domain_ != DVD_DOMAIN_Title) return VFW_E_DVD_INVALIDDOMAIN;
    if (Failed(CheckUop(UOP_FLAG_Select_SubPic_Stream))) return VFW_E_DVD_OPERATION_INHIBITED;
    userSpuOn_ = on ? 1 : 0;
    UpdateStreams();
    return S_OK;
}

HResult DvdNavigatorFilter::StillOff() {
    QUOVA_NAV_GUARD();
    if (!inStill_.load()) return VFW_E_DVD_INVALIDDOMAIN;
    // A still with buttons waits for a button, as the disc means it to.
    if (stillButtons_ || Failed(CheckUop(UOP_FLAG_Still_Off))) return VFW_E_DVD_OPERATION_INHIBITED;
    stillOff_ = true;
    wake_.notify_all();
    return S_OK;
}

HResult DvdNavigatorFilter::AcceptParentalLevelChange(bool) {
    // The discs this navigator reads ask no level changes of the player.
    return S_OK;
}

HResult DvdNavigatorFilter::SetOption(std::uint32_t option, bool on) {
    std::lock_guard guard(lock_);
    switch (option) {
        case DVD_ResetOnStop:
            return S_OK;
        case DVD_NotifyParentalLevelChange:
            parentalEvents_ = on;
            return S_OK;
        case DVD_HMSF_TimeCodeEvents:
            hmsfEvents_ = on;
            return S_OK;
        default:
            return E_INVALIDARG;
    }
}

HResult DvdNavigatorFilter::SelectParentalLevel(std::uint32_t level) {
    std::lock_guard guard(lock_);
    if (level != kNoParentalLevel && (level < 1 || level > 8)) return E_INVALIDARG;
    parentalLevel_ = level;
    return S_OK;
}

HResult DvdNavigatorFilter::SetState(const std::string& text, std::uint32_t) {
    const Outcome<DvdNavigatorState> parsed = ParseDvdState(text);
    if (!parsed.ok()) return parsed.hr;
    const DvdNavigatorState& s = parsed.value;
    QUOVA_NAV_GUARD();
    if (!facts_ || s.discId != facts_->discId) return VFW_E_DVD_STATE_WRONG_DISC;
    switch (s.domain) {
        case DVD_DOMAIN_Title: {
            if (s.title < 1 || s.title > facts_->titles) return VFW_E_DVD_STATE_CORRUPT;
            if (dvdnav_part_play(nav_, static_cast<std::int32_t>(s.title),
                                 static_cast<std::int32_t>(
                                     std::max<std::uint32_t>(1, s.chapter))) != DVDNAV_STATUS_OK)
                return VFW_E_DVD_STATE_CORRUPT;
            // The chapter puts the navigator in the title; the time finds the place.
            dvdnav_time_search(nav_, s.titleTime);
            userAudio_ = s.audio;
            userSpu_ = s.subpicture;
            userSpuOn_ = s.subpictureOn ? 1 : 0;
            if (s.angle > 1) dvdnav_angle_change(nav_, static_cast<std::int32_t>(s.angle));
            break;
        }
        case DVD_DOMAIN_VideoManagerMenu:
            if (dvdnav_menu_call(nav_, ::DVD_MENU_Title) != DVDNAV_STATUS_OK &&
                dvdnav_menu_call(nav_, ::DVD_MENU_Root) != DVDNAV_STATUS_OK)
                return VFW_E_DVD_MENU_DOES_NOT_EXIST;
            break;
        case DVD_DOMAIN_VideoTitleSetMenu:
            if (dvdnav_menu_call(nav_, ::DVD_MENU_Root) != DVDNAV_STATUS_OK)
                return VFW_E_DVD_MENU_DOES_NOT_EXIST;
            break;
        default:
            return VFW_E_DVD_INVALIDDOMAIN;
    }
    Jumped();
    return S_OK;
}

// --- Information

#define QUOVA_INFO_GUARD(T)             \
    std::lock_guard guard(lock_);       \
    if (!nav_) return Outcome<T> {      \
            VFW_E_DVD_GRAPHNOTREADY, {} \
        }

Outcome<std::uint32_t> DvdNavigatorFilter::GetCurrentDomain() const {
    QUOVA_INFO_GUARD(std::uint32_t);
    if (domain_ == 0) return {VFW_E_DVD_GRAPHNOTREADY, 0};
    return {S_OK, domain_};
}

Outcome<DVD_PLAYBACK_LOCATION2> DvdNavigatorFilter::GetCurrentLocation() const {
    QUOVA_INFO_GUARD(DVD_PLAYBACK_LOCATION2);
    DVD_PLAYBACK_LOCATION2 location;
    std::int64_t ticks = titleTime_;
    location.TitleNum = title_;
    location.ChapterNum = chapter_;
    {
        std::lock_guard anchors(anchorLock_);
        if (havePlayed_ && played_.domain == DVD_DOMAIN_Title && played_.title == title_) {
            const double rate = rate_.load() > 0 ? rate_.load() : 1.0;
            location.ChapterNum = played_.chapter;
            ticks = played_.titleTime + static_cast<std::int64_t>((playedNs_ - played_.running) *
                                                                  9.0 / 100000.0 * rate);
        }
    }
    if (domain_ != DVD_DOMAIN_Title) {
        location.TitleNum = location.ChapterNum = 0;
        ticks = 0;
    }
    location.TimeCode = TimecodeFromTicks(std::max<std::int64_t>(0, ticks), 25);
    location.TimeCodeFlags = DVD_TC_FLAG_25fps;
    return {S_OK, location};
}

Outcome<DVD_HMSF_TIMECODE> DvdNavigatorFilter::GetTotalTitleTime() const {
    QUOVA_INFO_GUARD(DVD_HMSF_TIMECODE);
    if (domain_ != DVD_DOMAIN_Title || title_ == 0) return {VFW_E_DVD_INVALIDDOMAIN, {}};
    std::uint64_t* times = nullptr;
    std::uint64_t duration = 0;
    const std::uint32_t chapters =
        dvdnav_describe_title_chapters(nav_, static_cast<std::int32_t>(title_), &times, &duration);
    free(times);
    if (chapters == 0) return {E_FAIL, {}};
    return {S_OK, TimecodeFromTicks(static_cast<std::int64_t>(duration), 25)};
}

Outcome<DvdVolumeInfo> DvdNavigatorFilter::GetDVDVolumeInfo() const {
    QUOVA_INFO_GUARD(DvdVolumeInfo);
    return {S_OK, {facts_->volumes, facts_->volume, facts_->side, facts_->titles}};
}

Outcome<std::uint32_t> DvdNavigatorFilter::GetNumberOfChapters(std::uint32_t title) const {
    QUOVA_INFO_GUARD(std::uint32_t);
    if (title < 1 || title > facts_->titles) return {E_INVALIDARG, 0};
    std::int32_t parts = 0;
    if (dvdnav_get_number_of_parts(nav_, static_cast<std::int32_t>(title), &parts) !=
        DVDNAV_STATUS_OK)
        return {E_FAIL, 0};
    return {S_OK, static_cast<std::uint32_t>(parts)};
}

Outcome<DvdStreamChoice> DvdNavigatorFilter::GetCurrentAudio() const {
    QUOVA_INFO_GUARD(DvdStreamChoice);
    DvdStreamChoice choice;
    for (int i = 0; i < 8; ++i)
        if (PhysicalAudio(i) >= 0) ++choice.available;
    const int logical = audioPhysical_ >= 0 ? dvdnav_get_audio_logical_stream(
                                                  nav_, static_cast<std::uint8_t>(audioPhysical_))
                                            : -1;
    choice.current = logical >= 0 ? static_cast<std::uint32_t>(logical) : 0;
    return {S_OK, choice};
}

Outcome<bool> DvdNavigatorFilter::IsAudioStreamEnabled(std::uint32_t stream) const {
    QUOVA_INFO_GUARD(bool);
    if (stream > 7) return {E_INVALIDARG, false};
    return {S_OK, PhysicalAudio(static_cast<int>(stream)) >= 0};
}

Outcome<DVD_AudioAttributes> DvdNavigatorFilter::GetAudioAttributes(std::uint32_t stream) const {
    QUOVA_INFO_GUARD(DVD_AudioAttributes);
    if (stream > 7) return {E_INVALIDARG, {}};
    audio_attr_t attr{};
    if (dvdnav_get_audio_attr(nav_, static_cast<std::uint8_t>(stream), &attr) != DVDNAV_STATUS_OK)
        return {VFW_E_DVD_NO_ATTRIBUTES, {}};
    DVD_AudioAttributes out;
    switch (attr.audio_format) {
        case 0:
            out.AudioFormat = DVD_AudioFormat_AC3;
            break;
        case 2:
            out.AudioFormat = DVD_AudioFormat_MPEG1;
            break;
        case 3:
            out.AudioFormat = DVD_AudioFormat_MPEG2;
            break;
        case 4:
            out.AudioFormat = DVD_AudioFormat_LPCM;
            break;
        case 6:
            out.AudioFormat = DVD_AudioFormat_DTS;
            break;
        case 7:
            out.AudioFormat = DVD_AudioFormat_SDDS;
            break;
        default:
            out.AudioFormat = DVD_AudioFormat_Other;
            break;
    }
    out.Language = attr.lang_type == 1 ? attr.lang_code : 0;
    out.LanguageExtension = attr.code_extension;
    out.dwFrequency = attr.sample_frequency == 1 ? 96000 : 48000;
    out.bQuantization = out.AudioFormat == DVD_AudioFormat_LPCM
                            ? static_cast<std::uint8_t>(16 + 4 * attr.quantization)
                            : 16;
    out.bNumberOfChannels = static_cast<std::uint8_t>(attr.channels + 1);
    return {S_OK, out};
}

Outcome<std::uint16_t> DvdNavigatorFilter::GetAudioLanguage(std::uint32_t stream) const {
    QUOVA_INFO_GUARD(std::uint16_t);
    if (stream > 7) return {E_INVALIDARG, 0};
    const std::uint16_t lang = dvdnav_audio_stream_to_lang(nav_, static_cast<std::uint8_t>(stream));
    return {S_OK, lang == 0xFFFF ? std::uint16_t{0} : lang};
}

Outcome<DvdStreamChoice> DvdNavigatorFilter::GetCurrentSubpicture() const {
    QUOVA_INFO_GUARD(DvdStreamChoice);
    DvdStreamChoice choice;
    for (int i = 0; i < 32; ++i)
        if (PhysicalSubpicture(i) >= 0) ++choice.available;
    const int logical = spuPhysical_ >= 0 ? dvdnav_get_spu_logical_stream(
                                                nav_, static_cast<std::uint8_t>(spuPhysical_))
                                          : -1;
    choice.current = logical >= 0 ? static_cast<std::uint32_t>(logical) : 0;
    choice.disabled = !spuShown_;
    return {S_OK, choice};
}

Outcome<bool> DvdNavigatorFilter::IsSubpictureStreamEnabled(std::uint32_t stream) const {
    QUOVA_INFO_GUARD(bool);
    if (stream > 31) return {E_INVALIDARG, false};
    return {S_OK, PhysicalSubpicture(static_cast<int>(stream)) >= 0};
}

Outcome<DVD_SubpictureAttributes> DvdNavigatorFilter::GetSubpictureAttributes(
    std::uint32_t stream) const {
    QUOVA_INFO_GUARD(DVD_SubpictureAttributes);
    if (stream > 31) return {E_INVALIDARG, {}};
    subp_attr_t attr{};
    if (dvdnav_get_spu_attr(nav_, static_cast<std::uint8_t>(stream), &attr) != DVDNAV_STATUS_OK)
        return {VFW_E_DVD_NO_ATTRIBUTES, {}};
    DVD_SubpictureAttributes out;
    out.Type = attr.type == 1 ? 0 : 1;
    out.Language = attr.type == 1 ? attr.lang_code : 0;
    out.LanguageExtension = attr.lang_extension;
    return {S_OK, out};
}

Outcome<std::uint16_t> DvdNavigatorFilter::GetSubpictureLanguage(std::uint32_t stream) const {
    QUOVA_INFO_GUARD(std::uint16_t);
    if (stream > 31) return {E_INVALIDARG, 0};
    const std::uint16_t lang = dvdnav_spu_stream_to_lang(nav_, static_cast<std::uint8_t>(stream));
    return {S_OK, lang == 0xFFFF ? std::uint16_t{0} : lang};
}

Outcome<DvdStreamChoice> DvdNavigatorFilter::GetCurrentAngle() const {
    QUOVA_INFO_GUARD(DvdStreamChoice);
    if (domain_ != DVD_DOMAIN_Title) return {VFW_E_DVD_INVALIDDOMAIN, {}};
    return {S_OK, {angles_, angle_, false}};
}

Outcome<DVD_VideoAttributes> DvdNavigatorFilter::GetCurrentVideoAttributes() const {
    QUOVA_INFO_GUARD(DVD_VideoAttributes);
    DVD_VideoAttributes out;
    std::uint32_t width = 0, height = 0;
    dvdnav_get_video_resolution(nav_, &width, &height);
    const std::uint8_t aspect = dvdnav_get_video_aspect(nav_);
    const std::uint8_t permission = dvdnav_get_video_scale_permission(nav_);
    out.fPanscanPermitted = (permission & 0x2) ? 0 : 1;
    out.fLetterboxPermitted = (permission & 0x1) ? 0 : 1;
    out.ulAspectX = aspect == 3 ? 16 : 4;
    out.ulAspectY = aspect == 3 ? 9 : 3;
    const bool pal = height == 576 || height == 288;
    out.ulFrameRate = pal ? 50 : 60;
    out.ulFrameHeight = pal ? 625 : 525;
    out.Compression = 2;
    out.ulSourceResolutionX = width;
    out.ulSourceResolutionY = height;
    return {S_OK, out};
}

Outcome<std::uint32_t> DvdNavigatorFilter::GetCurrentUOPS() const {
    QUOVA_INFO_GUARD(std::uint32_t);
    return {S_OK, uops_};
}

Outcome<std::uint32_t> DvdNavigatorFilter::GetCurrentButton() const {
    QUOVA_INFO_GUARD(std::uint32_t);
    pci_t* pci = dvdnav_get_current_nav_pci(nav_);
    std::int32_t button = 0;
    if (!pci || !pci->hli.hl_gi.hli_ss || pci->hli.hl_gi.btn_ns == 0)
        return {VFW_E_DVD_NO_BUTTON, 0};
    dvdnav_get_current_highlight(nav_, &button);
    return {S_OK, static_cast<std::uint32_t>(button)};
}

Outcome<std::uint32_t> DvdNavigatorFilter::GetPlayerParentalLevel() const {
    std::lock_guard guard(lock_);
    return {S_OK, parentalLevel_};
}

Outcome<std::uint32_t> DvdNavigatorFilter::GetTitleParentalLevels(std::uint32_t title) const {
    QUOVA_INFO_GUARD(std::uint32_t);
    if (title < 1 || title > facts_->titles) return {E_INVALIDARG, 0};
    // A disc without a parental table rates no title.
    return {S_OK, 0};
}

Outcome<std::uint64_t> DvdNavigatorFilter::GetDiscID() const {
    QUOVA_INFO_GUARD(std::uint64_t);
    return {S_OK, facts_->discId};
}

Outcome<std::string> DvdNavigatorFilter::GetState() const {
    const Outcome<DVD_PLAYBACK_LOCATION2> location = GetCurrentLocation();
    QUOVA_INFO_GUARD(std::string);
    if (domain_ != DVD_DOMAIN_Title && domain_ != DVD_DOMAIN_VideoManagerMenu &&
        domain_ != DVD_DOMAIN_VideoTitleSetMenu)
        return {VFW_E_DVD_INVALIDDOMAIN, {}};
    DvdNavigatorState s;
    s.discId = facts_->discId;
    s.domain = domain_;
    if (domain_ == DVD_DOMAIN_Title && location.ok()) {
        s.title = location.value.TitleNum;
        s.chapter = location.value.ChapterNum;
        s.titleTime = static_cast<std::uint64_t>(TimecodeSeconds(location.value.TimeCode) * 90000 +
                                                 location.value.TimeCode.bFrames * 3600);
        const int audio = audioPhysical_ >= 0 ? dvdnav_get_audio_logical_stream(
                                                    nav_, static_cast<std::uint8_t>(audioPhysical_))
                                              : -1;
        const int spu = spuPhysical_ >= 0 ? dvdnav_get_spu_logical_stream(
                                                nav_, static_cast<std::uint8_t>(spuPhysical_))
                                          : -1;
        s.audio = std::clamp(audio, -1, 7);
        s.subpicture = std::clamp(spu, -1, 31);
        s.subpictureOn = spuShown_;
        s.angle = std::clamp<std::uint32_t>(angle_, 1, 9);
    }
    return {S_OK, SerializeDvdState(s)};
}

}  // namespace quova::engine
