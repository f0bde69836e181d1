#pragma once

#include <memory>

#include "platform/engine/filter.h"

namespace quova::engine {

class StallWatch;

// Reads a file; its one output pin "Output" offers the file's container type
// (found by GStreamer's type finders from the first bytes). An http(s)
// address is read by the element GStreamer makes for it instead, through a
// buffer that reports how full it is.
class FileSourceFilter : public Filter {
  public:
    explicit FileSourceFilter(FilterInfo info);
    // For an address: `reader` reads it (takes the floating reference).
    FileSourceFilter(FilterInfo info, GstElement* reader);
    ~FileSourceFilter() override;

    // Fails with E_FILE_NOT_FOUND, E_ACCESSDENIED or VFW_E_UNKNOWN_FILE_TYPE.
    HResult Load(const std::string& path);
    const std::string& FileName() const { return path_; }
    // An address's reader and how it gets its data; nullptr for a file.
    GstElement* NetworkReader() const { return stallWatch_ ? reader_ : nullptr; }
    StallWatch* Stall() const { return stallWatch_.get(); }

    void CreatePins() override;
    std::vector<std::pair<std::string, std::string>> RebuildProperties() const override;

  protected:
    GstElement* workElement() const override { return reader_; }

  private:
    GstElement* reader_;  // element_ itself, or inside it
    std::string path_;
    std::unique_ptr<StallWatch> stallWatch_;
};

// A filter that writes everything it receives into a file ("File writer",
// "Dump"). It writes through a descriptor it owns rather than a name the
// element would open, so that what is written is the file that was checked
// when it was opened.
class FileWriterFilter : public Filter, public FileSink {
  public:
    FileWriterFilter(FilterInfo info, std::string pinName);
    ~FileWriterFilter() override;

    FileSink* AsFileSink() override { return this; }
    HResult SetFileName(const std::string& path) override;
    HResult SetFileDescriptor(int fd, const std::string& path) override;
    std::string FileName() const override { return path_; }

    void CreatePins() override;

  private:
    std::string pinName_;
    std::string path_;
    int fd_ = -1;
};

}  // namespace quova::engine
