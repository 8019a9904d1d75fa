#pragma once

#include "platform/services.h"

#include <string>
#include <vector>

namespace kestrix {

// The files last opened, newest first, kept across runs through the settings.
class RecentFiles {
  public:
    static constexpr std::size_t kMost = 8;

    explicit RecentFiles(platform::Services& services);
    const std::vector<std::string>& Paths() const { return paths_; }
    // The path comes first; an older entry of it goes, and the oldest beyond kMost.
    void Add(const std::string& path);
    // Leaves out the files that are no longer there.
    void RemoveMissing();
    static bool Exists(const std::string& path);

  private:
    void Keep();
    platform::Services& services_;
    std::vector<std::string> paths_;
};

} // namespace kestrix
