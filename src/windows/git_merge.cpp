#include "windows/git_merge.h"

#include "files/paths.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace kestrix {

namespace {

std::string FirstLine(std::string_view text) {
    return std::string(text.substr(0, text.find('\n')));
}

// What git printed on its one line, or empty text when it failed.
std::string GitSays(platform::ProcessRunner& processes, const std::vector<std::string>& command,
                    const std::string& folder) {
    const platform::ProcessRun run = processes.Run(command, folder);
    if (!run.failure.empty() || run.status != 0)
        return {};
    std::string line = FirstLine(run.output);
    if (line.ends_with('\r'))
        line.pop_back();
    return line;
}

GitMergeVersions Told(GitMergeVersions::Kind kind, std::string message) {
    GitMergeVersions told;
    told.kind = kind;
    told.message = std::move(message);
    return told;
}

} // namespace

GitMergeVersions AskGitForMergeVersions(platform::ProcessRunner& processes, const std::string& path) {
    const std::string folder = FolderOf(path, kSystemPathStyle);
    const std::string name = NameOf(path, kSystemPathStyle);
    const std::string noMerge = "There is no merge in progress for \"" + path + "\".";
    const platform::ProcessRun listed =
        processes.Run({"git", "ls-files", "--unmerged", "-z", "--", name}, folder);
    if (!listed.failure.empty())
        return Told(GitMergeVersions::Kind::Failed,
                    "Cannot ask git about \"" + path + "\": " + listed.failure);
    if (listed.status != 0) // not in a repository, for one
        return Told(GitMergeVersions::Kind::NotMerging, noMerge + "\rgit: " + FirstLine(listed.errors));
    // "MODE OBJECT STAGE<TAB>PATH", each entry ended by a NUL.
    std::array<std::string, 3> objects;
    std::string_view entries = listed.output;
    while (!entries.empty()) {
        const std::string_view entry = entries.substr(0, entries.find('\0'));
        entries.remove_prefix(std::min(entries.size(), entry.size() + 1));
        const std::size_t tab = entry.find('\t');
        const std::size_t space = entry.find(' ');
        if (tab == std::string_view::npos || space == std::string_view::npos || tab < 2)
            continue;
        const char stage = entry[tab - 1];
        if (stage >= '1' && stage <= '3')
            objects[static_cast<std::size_t>(stage - '1')] =
                entry.substr(space + 1, entry.find(' ', space + 1) - space - 1);
    }
    if (objects[0].empty() && objects[1].empty() && objects[2].empty())
        return Told(GitMergeVersions::Kind::NotMerging, noMerge);
    if (objects[1].empty() || objects[2].empty())
        return Told(GitMergeVersions::Kind::Failed,
                    "Cannot merge \"" + path +
                        "\" here: one side deleted the file. Keep it or remove it with git "
                        "(git add or git rm).");
    GitMergeVersions versions;
    versions.kind = GitMergeVersions::Kind::Merging;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (objects[i].empty())
            continue; // both sides added the file: no base
        platform::ProcessRun shown = processes.Run({"git", "cat-file", "blob", objects[i]}, folder);
        if (!shown.failure.empty() || shown.status != 0)
            return Told(GitMergeVersions::Kind::Failed,
                        "Cannot read the versions of \"" + path + "\" from git: " +
                            (shown.failure.empty() ? FirstLine(shown.errors) : shown.failure));
        versions.bytes[i] = std::move(shown.output);
    }
    return versions;
}

MergeSideNames AskGitForSideNames(platform::ProcessRunner* processes, const std::string& path) {
    const std::string folder = FolderOf(path, kSystemPathStyle);
    // Only a merge has MERGE_HEAD; git asked in a folder of no repository fails here too.
    if (!processes ||
        processes->Run({"git", "rev-parse", "-q", "--verify", "MERGE_HEAD"}, folder).status != 0)
        return {};
    MergeSideNames names{GitSays(*processes, {"git", "rev-parse", "--abbrev-ref", "HEAD"}, folder),
                         GitSays(*processes, {"git", "name-rev", "--name-only", "MERGE_HEAD"}, folder)};
    if (names.ours == "HEAD") // detached
        names.ours.clear();
    if (names.theirs == "undefined")
        names.theirs.clear();
    return names;
}

} // namespace kestrix
