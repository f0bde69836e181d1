#pragma once

#include "platform/engine/filter.h"

namespace quova::engine {

// Reads a file; its one output pin "Output" offers the file's container type
// (found by GStreamer's type finders from the first bytes).
class FileSourceFilter : public Filter {
  public:
    explicit FileSourceFilter(FilterInfo info);

    // Fails with E_FILE_NOT_FOUND, E_ACCESSDENIED or VFW_E_UNKNOWN_FILE_TYPE.
    HResult Load(const std::string& path);
    const std::string& FileName() const { return path_; }

    void CreatePins() override;
    std::vector<std::pair<std::string, std::string>> RebuildProperties() const override;

  private:
    std::string path_;
};

// A filter that writes everything it receives into a file ("File writer",
// "Dump").
class FileWriterFilter : public Filter, public FileSink {
  public:
    FileWriterFilter(FilterInfo info, std::string pinName);

    FileSink* AsFileSink() override { return this; }
    HResult SetFileName(const std::string& path) override;
    std::string FileName() const override;

    void CreatePins() override;

  private:
    std::string pinName_;
};

}  // namespace quova::engine
