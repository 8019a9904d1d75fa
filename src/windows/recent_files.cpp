#include "windows/recent_files.h"

#include "files/file_operations.h"

#include <algorithm>

namespace kestrix {

namespace {

std::string KeyOf(std::size_t index) {
    return "RecentFiles/" + std::to_string(index + 1);
}

} // namespace

RecentFiles::RecentFiles(platform::Services& services) : services_(services) {
    for (std::size_t i = 0; i < kMost; ++i)
        if (std::string path = services_.ReadSetting(KeyOf(i)); !path.empty())
            paths_.push_back(std::move(path));
}

void RecentFiles::Add(const std::string& path) {
    std::erase(paths_, path);
    paths_.insert(paths_.begin(), path);
    if (paths_.size() > kMost)
        paths_.resize(kMost);
    Keep();
}

void RecentFiles::RemoveMissing() {
    std::erase_if(paths_, [](const std::string& path) { return !Exists(path); });
    Keep();
}

bool RecentFiles::Exists(const std::string& path) {
    FileStatus status;
    return SystemFiles().TargetStatus(path, status) == 0 && status.kind == FileKind::Regular;
}

void RecentFiles::Keep() {
    for (std::size_t i = 0; i < kMost; ++i)
        services_.WriteSetting(KeyOf(i), i < paths_.size() ? paths_[i] : std::string());
}

} // namespace kestrix
