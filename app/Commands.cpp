#include "Commands.h"

#define T(text) QT_TRANSLATE_NOOP("MainWindow", text)

const QList<CommandInfo> &commandTable()
{
    static const QList<CommandInfo> table = {
        {Command::Settings, 0, T("Fast &Settings"), T("&Settings"), ":/images/ScanSettings",
         T("Change the application settings."), "", false, NoList},
        {Command::ScanPage, 0, T("&Scan"), T("Scan &Page"), ":/images/ScanPage",
         T("Scan whole page. Press Space to start scanning."), "Space", false, ScanActions},
        {Command::AutoScan, 0, T("&Scan"), T("&Auto Scan"), ":/images/AutoScan",
         T("Start automatic scanning. The next scanning will start after a time."), "", false,
         ScanActions},
        {Command::LoadFile, 0, T("&Scan"), T("From &File"), ":/images/LoadFile",
         T("Load an image from a file."), "Ctrl+O", false, NoList},
        {Command::BuildPdf, 0, T("&Export"), T("Build PDF &Document"), ":/images/BuildPdf",
         T("Build the PDF document from scanned pages."), "", false, PageActions},
        {Command::BuildDjvu, 0, T("&Export"), T("Build DjVu &File"), ":/images/BuildDjVu",
         T("Build the DjVu file from scanned pages."), "", false, PageActions},
        {Command::BuildWord, 0, T("&Export"), T("Build &Word Document"), ":/images/GenerateWord",
         T("Build the MS Word (docx) document from scanned pages."), "", false, PageActions},
        {Command::ExportFiles, 0, T("&Export"), T("Save &As Pictures"), ":/images/SaveAs",
         T("Save scanned pages to folder."), "", false, PageActions},
        {Command::RotateLeft, 1, T("&Rotate"), T("Turn &Left"), ":/images/RotateLeft",
         T("Rotate Image Left"), "", false, PageActions},
        {Command::RotateRight, 1, T("&Rotate"), T("&Turn Right"), ":/images/RotateRight",
         T("Rotate Image Right"), "", false, PageActions},
        {Command::RotateFlip, 1, T("&Rotate"), T("&Flip Image"), ":/images/RotateFlip",
         T("Flip the Image"), "", false, PageActions},
        {Command::TurnChecked, 1, T("&Rotate"), T("Turn Checked &Pages"), ":/images/TurnChecked",
         T("When on, the turn commands turn every checked page instead of the current one."), "",
         true, PageActions},
        {Command::ZoomIn, 1, T("&Zoom"), T("Zoom &In"), ":/images/ZoomIn", T("Zoom Image In"),
         "Ctrl++; Ctrl+=", false, PageActions},
        {Command::ZoomOut, 1, T("&Zoom"), T("Zoom &Out"), ":/images/ZoomOut", T("Zoom Image Out"),
         "Ctrl+-", false, PageActions},
        {Command::ZoomFit, 1, T("&Zoom"), T("&Fit to Window"), ":/images/ZoomFit",
         T("Fit Image to Window"), "Ctrl+0", false, PageActions},
        {Command::Crop, 1, T("&Correction"), T("&Crop Image"), ":/images/Crop",
         T("Show Frame to Crop Image"), "", true, PageActions},
        {Command::Brightness, 1, T("&Correction"), T("&Image Contrast"), ":/images/Brightness",
         T("Adjust Brightness"), "", false, PageActions},
        {Command::Undo, 1, T("&History"), T("&Undo"), ":/images/Undo",
         T("Take back the last change: an edit of the page shown, a removal or a move."), "Ctrl+Z", false, NoList},
        {Command::Redo, 1, T("&History"), T("&Redo"), ":/images/Redo",
         T("Make the change taken back again."), "Ctrl+Shift+Z; Ctrl+Y", false, NoList},
        {Command::MoveUp, 2, T("&Move"), T("Move &Up"), ":/images/PageUp",
         T("Move up current page in the list."), "", false, PageActions},
        {Command::MoveDown, 2, T("&Move"), T("Move &Down"), ":/images/PageDown",
         T("Move down current page in the list."), "", false, PageActions},
        {Command::MoveTop, 2, T("&Move"), T("Move to &Top"), ":/images/PageTop",
         T("Move current page to top of the list."), "", false, PageActions},
        {Command::MoveBottom, 2, T("&Move"), T("Move to &Bottom"), ":/images/PageBottom",
         T("Move current page to bottom of the list."), "", false, PageActions},
        {Command::RemovePage, 2, T("&Remove"), T("&Remove Page"), ":/images/PageRemove",
         T("Delete current page from the list."), "Del", false, PageActions},
        {Command::RemoveAll, 2, T("&Remove"), T("&Remove All Pages"), ":/images/DocRemove",
         T("Delete all pages from the list."), "", false, PageActions},
        {Command::RemoveAllButThis, 2, T("&Remove"), T("&Remove All But Current"),
         ":/images/PackRemove", T("Delete all but current page from the list."), "", false,
         PageActions},
        {Command::RemoveAllChecked, 2, T("&Remove"), T("&Remove All Checked"),
         ":/images/CheckRemove", T("Delete all checked pages from the list."), "", false,
         PageActions},
        {Command::RemoveAllUnchecked, 2, T("&Remove"), T("&Remove All Unchecked"),
         ":/images/UncheckRemove", T("Delete all unchecked pages from the list."), "", false,
         PageActions},
        {Command::TwoSidedStack, 2, T("&Move"), T("Two-Sided &Stack"), ":/images/TwoSided",
         T("Put the fronts and then the backs of a stack (the checked pages, or all) in reading "
           "order."),
         "", false, PageActions},
        {Command::Help, 3, T("&Help"), T("&Help"), ":/images/Help", T("Show Help"), "", false,
         NoList},
        {Command::About, 3, T("&Help"), T("&About"), ":/images/About", T("About Software"), "",
         false, NoList},
        {Command::Update, 3, T("&Help"), T("Check &Updates"), ":/images/Update",
         T("Check for updates in Internet."), "", false, NoList},
    };
    return table;
}

const CommandInfo &commandInfo(Command id)
{
    const auto &table = commandTable();
    return table[static_cast<int>(id)];
}

QStringList ribbonPageTitles()
{
    return {QCoreApplication::translate("MainWindow", "&Scan && PDF"),
            QCoreApplication::translate("MainWindow", "&Editing"),
            QCoreApplication::translate("MainWindow", "&Composition"),
            QCoreApplication::translate("MainWindow", "&Information")};
}

QList<std::optional<Command>> editorMenuLayout()
{
    return {Command::RotateLeft, Command::RotateRight, Command::RotateFlip, std::nullopt,
            Command::ZoomIn,     Command::ZoomOut,     Command::ZoomFit,    std::nullopt,
            Command::Crop,       Command::Brightness,  std::nullopt,        Command::RemovePage};
}

QList<std::optional<Command>> pageMenuLayout()
{
    return {Command::MoveUp, Command::MoveDown,   Command::MoveTop,         Command::MoveBottom,
            std::nullopt,    Command::RemovePage, Command::RemoveAllButThis};
}
