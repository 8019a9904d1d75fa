#include "windows/file_dialogs.h"

#include "files/paths.h"
#include "handling_file/handling_format.h"
#include "model/stat_catalogue.h"

#include <algorithm>
#include <cctype>

namespace kestrix {

namespace {

constexpr const char* kLastFolderSetting = "files/lastFolder";

std::string DialogFolderOf(const std::string& path) {
    if (NameOf(path, kSystemPathStyle) == path)
        return {};
    return FolderOf(path, kSystemPathStyle);
}

std::string StartingFolder(platform::Services& services, const std::string& openFile) {
    if (std::string folder = DialogFolderOf(openFile); !folder.empty())
        return folder;
    if (std::string folder = services.ReadSetting(kLastFolderSetting); !folder.empty())
        return folder;
    return services.HomeFolder();
}

// How each notice of the file session is shown.
struct NoticeShape {
    FileNotice::Kind kind;
    std::string_view title;
    platform::Buttons buttons;
    platform::Answer byDefault;
    std::string_view yes, no;
};

using Kind = FileNotice::Kind;
using platform::Answer;
using platform::Buttons;
constexpr NoticeShape kNoticeShapes[] = {
    {Kind::JournalProblem, "Recovery Journal", Buttons::Ok, Answer::Ok, "", ""},
    {Kind::JournalRefused, "Recover Unsaved Edits", Buttons::Ok, Answer::Ok, "", ""},
    {Kind::JournalCut, "Recover Unsaved Edits", Buttons::Ok, Answer::Ok, "", ""},
    {Kind::NoBackup, "No Backup Kept", Buttons::Ok, Answer::Ok, "", ""},
    {Kind::FileGone, "File Changed on Disk", Buttons::Ok, Answer::Ok, "", ""},
    {Kind::OverwriteChanged, "File Changed on Disk", Buttons::YesNoCancel, Answer::Cancel, "&Overwrite",
     "&Reload"},
    // Nothing to reload: No is then the Cancel.
    {Kind::OverwriteGone, "File Changed on Disk", Buttons::YesNo, Answer::Cancel, "&Overwrite", "&Cancel"},
    {Kind::ReloadChanged, "File Changed on Disk", Buttons::YesNo, Answer::Yes, "&Reload", "&Keep"},
    {Kind::Recover, "Recover Unsaved Edits", Buttons::YesNo, Answer::Yes, "&Recover", "&Discard"},
};

} // namespace

std::string DroppedHandlingFile(platform::Services& services, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        std::string ending = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
        std::transform(ending.begin(), ending.end(), ending.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ending == ".cfg")
            return path;
    }
    services.ShowMessage(
        {"\"" + paths.front() + "\" is not a handling file: only a .cfg file can be dropped here.",
         "Kestrix 3", platform::Buttons::Ok, platform::Icon::Warning, platform::Answer::Ok});
    return {};
}

std::string AskForHandlingFile(platform::Services& services, FileDialogKind kind, std::string title,
                               const std::string& openFile) {
    return AskForFile(services, kind, std::move(title), openFile, platform::kHandlingFileFilter, ".cfg");
}

std::string AskForFile(platform::Services& services, FileDialogKind kind, std::string title,
                       const std::string& openFile, std::string filter, std::string defaultExtension) {
    platform::FileDialog dialog;
    dialog.title = std::move(title);
    dialog.filter = std::move(filter);
    dialog.defaultExtension = std::move(defaultExtension);
    dialog.initialFolder = StartingFolder(services, openFile);
    dialog.fileMustExist = kind == FileDialogKind::Open;
    dialog.confirmReplace = kind == FileDialogKind::Save;
    std::string chosen =
        kind == FileDialogKind::Open ? services.ChooseOpenFile(dialog) : services.ChooseSaveFile(dialog);
    if (std::string folder = DialogFolderOf(chosen); !folder.empty())
        services.WriteSetting(kLastFolderSetting, folder);
    return chosen;
}

void ReportFailure(platform::Services& services, const std::string& message) {
    services.ShowMessage({message, "", platform::Buttons::Ok, platform::Icon::Warning, platform::Answer::Ok});
}

bool ConfirmValueGaps(platform::Services& services, const CarTable& cars) {
    const std::optional<ValueGap> gap = FirstValueGap(cars);
    if (!gap)
        return true;
    const std::string car(cars[static_cast<std::size_t>(gap->row)][VehicleIdentifier]);
    const std::string_view stat = StatCatalogue::Instance()[gap->column].StatName;
    const std::string text = "The car '" + car + "' has no value for \"" + std::string(stat) +
                             "\" but has values after it.\rWhen the file is read again, those values will " +
                             "move one column to the left.\rSave anyway?";
    return services.ShowMessage({text, "Empty Value", platform::Buttons::YesNo, platform::Icon::Warning,
                                 Answer::No}) == Answer::Yes;
}

Answer ShowFileNotice(platform::Services& services, const FileNotice& notice) {
    for (const NoticeShape& shape : kNoticeShapes)
        if (shape.kind == notice.kind) {
            platform::MessageBox box{notice.text, std::string(shape.title), shape.buttons,
                                     platform::Icon::Warning, shape.byDefault};
            box.yesCaption = shape.yes;
            box.noCaption = shape.no;
            return services.ShowMessage(box);
        }
    return Answer::Cancel;
}

Answer TellFileStep(platform::Services& services, const FileStep& step) {
    if (!step.Done())
        ReportFailure(services, step.failure);
    Answer answer = Answer::Cancel;
    for (const FileNotice& notice : step.notices)
        answer = ShowFileNotice(services, notice);
    return answer;
}

} // namespace kestrix
