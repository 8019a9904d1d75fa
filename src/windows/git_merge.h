#pragma once

#include "platform/processes.h"

#include <array>
#include <string>

namespace kestrix {

// What git says of a file it may be merging.
struct GitMergeVersions {
    enum class Kind {
        Merging,    // the three versions git holds
        NotMerging, // no merge in progress for the file: message says so
        Failed,     // git could not be asked, or failed: message names the file and the reason
    };
    Kind kind = Kind::Failed;
    // The base, ours and theirs, by MergeSide; no base where both sides added the file.
    std::array<std::string, 3> bytes;
    std::string message;
};

// Asks git, in the file's folder, whether the file is unmerged, and for the
// versions it holds: the entries of git ls-files -u, each read by its object.
GitMergeVersions AskGitForMergeVersions(platform::ProcessRunner& processes, const std::string& path);

// The branches of the merge git is in, as git names them: ours the branch
// checked out, theirs the one merged in. Empty where git cannot tell: no
// merge (a rebase, cherry-pick or revert), a detached head, a commit no
// branch names, or git failing or not run at all.
struct MergeSideNames {
    std::string ours;
    std::string theirs;
};
// Asks git in the folder of path.
MergeSideNames AskGitForSideNames(platform::ProcessRunner* processes, const std::string& path);

} // namespace kestrix
