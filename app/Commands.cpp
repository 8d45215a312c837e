#include "Commands.h"

const QList<CommandInfo> &commandTable()
{
    static const QList<CommandInfo> table = {
        {Command::Settings, 0, QT_TRANSLATE_NOOP("MainWindow", "Fast &Settings"),
         QT_TRANSLATE_NOOP("MainWindow", "&Settings"), ":/images/ScanSettings",
         QT_TRANSLATE_NOOP("MainWindow", "Change the application settings."), "", false, NoList},
        {Command::ScanPage, 0, QT_TRANSLATE_NOOP("MainWindow", "&Scan"),
         QT_TRANSLATE_NOOP("MainWindow", "Scan &Page"), ":/images/ScanPage",
         QT_TRANSLATE_NOOP("MainWindow", "Scan whole page. Press Space to start scanning."),
         "Space", false, ScanActions},
        {Command::AutoScan, 0, QT_TRANSLATE_NOOP("MainWindow", "&Scan"),
         QT_TRANSLATE_NOOP("MainWindow", "&Auto Scan"), ":/images/AutoScan",
         QT_TRANSLATE_NOOP("MainWindow",
                           "Start automatic scanning. The next scanning will start after a time."),
         "", false, ScanActions},
        {Command::LoadFile, 0, QT_TRANSLATE_NOOP("MainWindow", "&Scan"),
         QT_TRANSLATE_NOOP("MainWindow", "From &File"), ":/images/LoadFile",
         QT_TRANSLATE_NOOP("MainWindow", "Load an image from a file."), "Ctrl+O", false, NoList},
        {Command::BuildPdf, 0, QT_TRANSLATE_NOOP("MainWindow", "&Export"),
         QT_TRANSLATE_NOOP("MainWindow", "Build PDF &Document"), ":/images/BuildPdf",
         QT_TRANSLATE_NOOP("MainWindow", "Build the PDF document from scanned pages."), "", false,
         PageActions},
        {Command::BuildDjvu, 0, QT_TRANSLATE_NOOP("MainWindow", "&Export"),
         QT_TRANSLATE_NOOP("MainWindow", "Build DjVu &File"), ":/images/BuildDjVu",
         QT_TRANSLATE_NOOP("MainWindow", "Build the DjVu file from scanned pages."), "", false,
         PageActions},
        {Command::BuildWord, 0, QT_TRANSLATE_NOOP("MainWindow", "&Export"),
         QT_TRANSLATE_NOOP("MainWindow", "Build &Word Document"), ":/images/GenerateWord",
         QT_TRANSLATE_NOOP("MainWindow", "Build the MS Word (docx) document from scanned pages."),
         "", false, PageActions},
        {Command::ExportFiles, 0, QT_TRANSLATE_NOOP("MainWindow", "&Export"),
         QT_TRANSLATE_NOOP("MainWindow", "Save &As Pictures"), ":/images/SaveAs",
         QT_TRANSLATE_NOOP("MainWindow", "Save scanned pages to folder."), "", false, PageActions},
        {Command::RotateLeft, 1, QT_TRANSLATE_NOOP("MainWindow", "&Rotate"),
         QT_TRANSLATE_NOOP("MainWindow", "Turn &Left"), ":/images/RotateLeft",
         QT_TRANSLATE_NOOP("MainWindow", "Rotate Image Left"), "", false, PageActions},
        {Command::RotateRight, 1, QT_TRANSLATE_NOOP("MainWindow", "&Rotate"),
         QT_TRANSLATE_NOOP("MainWindow", "&Turn Right"), ":/images/RotateRight",
         QT_TRANSLATE_NOOP("MainWindow", "Rotate Image Right"), "", false, PageActions},
        {Command::RotateFlip, 1, QT_TRANSLATE_NOOP("MainWindow", "&Rotate"),
         QT_TRANSLATE_NOOP("MainWindow", "&Flip Image"), ":/images/RotateFlip",
         QT_TRANSLATE_NOOP("MainWindow", "Flip the Image"), "", false, PageActions},
        {Command::TurnChecked, 1, QT_TRANSLATE_NOOP("MainWindow", "&Rotate"),
         QT_TRANSLATE_NOOP("MainWindow", "Turn Checked &Pages"), ":/images/TurnChecked",
         QT_TRANSLATE_NOOP(
             "MainWindow",
             "When on, the turn commands turn every checked page instead of the current one."),
         "", true, PageActions},
        {Command::ZoomIn, 1, QT_TRANSLATE_NOOP("MainWindow", "&Zoom"),
         QT_TRANSLATE_NOOP("MainWindow", "Zoom &In"), ":/images/ZoomIn",
         QT_TRANSLATE_NOOP("MainWindow", "Zoom Image In"), "Ctrl++; Ctrl+=", false, PageActions},
        {Command::ZoomOut, 1, QT_TRANSLATE_NOOP("MainWindow", "&Zoom"),
         QT_TRANSLATE_NOOP("MainWindow", "Zoom &Out"), ":/images/ZoomOut",
         QT_TRANSLATE_NOOP("MainWindow", "Zoom Image Out"), "Ctrl+-", false, PageActions},
        {Command::ZoomFit, 1, QT_TRANSLATE_NOOP("MainWindow", "&Zoom"),
         QT_TRANSLATE_NOOP("MainWindow", "&Fit to Window"), ":/images/ZoomFit",
         QT_TRANSLATE_NOOP("MainWindow", "Fit Image to Window"), "Ctrl+0", false, PageActions},
        {Command::Crop, 1, QT_TRANSLATE_NOOP("MainWindow", "&Correction"),
         QT_TRANSLATE_NOOP("MainWindow", "&Crop Image"), ":/images/Crop",
         QT_TRANSLATE_NOOP("MainWindow", "Show Frame to Crop Image"), "", true, PageActions},
        {Command::Brightness, 1, QT_TRANSLATE_NOOP("MainWindow", "&Correction"),
         QT_TRANSLATE_NOOP("MainWindow", "&Image Contrast"), ":/images/Brightness",
         QT_TRANSLATE_NOOP("MainWindow", "Adjust Brightness"), "", false, PageActions},
        {Command::Undo, 1, QT_TRANSLATE_NOOP("MainWindow", "&History"),
         QT_TRANSLATE_NOOP("MainWindow", "&Undo"), ":/images/Undo",
         QT_TRANSLATE_NOOP(
             "MainWindow",
             "Take back the last change: an edit of the page shown, a removal or a move."),
         "Ctrl+Z", false, NoList},
        {Command::Redo, 1, QT_TRANSLATE_NOOP("MainWindow", "&History"),
         QT_TRANSLATE_NOOP("MainWindow", "&Redo"), ":/images/Redo",
         QT_TRANSLATE_NOOP("MainWindow", "Make the change taken back again."),
         "Ctrl+Shift+Z; Ctrl+Y", false, NoList},
        {Command::MoveUp, 2, QT_TRANSLATE_NOOP("MainWindow", "&Move"),
         QT_TRANSLATE_NOOP("MainWindow", "Move &Up"), ":/images/PageUp",
         QT_TRANSLATE_NOOP("MainWindow", "Move up current page in the list."), "", false,
         PageActions},
        {Command::MoveDown, 2, QT_TRANSLATE_NOOP("MainWindow", "&Move"),
         QT_TRANSLATE_NOOP("MainWindow", "Move &Down"), ":/images/PageDown",
         QT_TRANSLATE_NOOP("MainWindow", "Move down current page in the list."), "", false,
         PageActions},
        {Command::MoveTop, 2, QT_TRANSLATE_NOOP("MainWindow", "&Move"),
         QT_TRANSLATE_NOOP("MainWindow", "Move to &Top"), ":/images/PageTop",
         QT_TRANSLATE_NOOP("MainWindow", "Move current page to top of the list."), "", false,
         PageActions},
        {Command::MoveBottom, 2, QT_TRANSLATE_NOOP("MainWindow", "&Move"),
         QT_TRANSLATE_NOOP("MainWindow", "Move to &Bottom"), ":/images/PageBottom",
         QT_TRANSLATE_NOOP("MainWindow", "Move current page to bottom of the list."), "", false,
         PageActions},
        {Command::RemovePage, 2, QT_TRANSLATE_NOOP("MainWindow", "&Remove"),
         QT_TRANSLATE_NOOP("MainWindow", "&Remove Page"), ":/images/PageRemove",
         QT_TRANSLATE_NOOP("MainWindow", "Delete current page from the list."), "Del", false,
         PageActions},
        {Command::RemoveAll, 2, QT_TRANSLATE_NOOP("MainWindow", "&Remove"),
         QT_TRANSLATE_NOOP("MainWindow", "&Remove All Pages"), ":/images/DocRemove",
         QT_TRANSLATE_NOOP("MainWindow", "Delete all pages from the list."), "", false,
         PageActions},
        {Command::RemoveAllButThis, 2, QT_TRANSLATE_NOOP("MainWindow", "&Remove"),
         QT_TRANSLATE_NOOP("MainWindow", "&Remove All But Current"), ":/images/PackRemove",
         QT_TRANSLATE_NOOP("MainWindow", "Delete all but current page from the list."), "", false,
         PageActions},
        {Command::RemoveAllChecked, 2, QT_TRANSLATE_NOOP("MainWindow", "&Remove"),
         QT_TRANSLATE_NOOP("MainWindow", "&Remove All Checked"), ":/images/CheckRemove",
         QT_TRANSLATE_NOOP("MainWindow", "Delete all checked pages from the list."), "", false,
         PageActions},
        {Command::RemoveAllUnchecked, 2, QT_TRANSLATE_NOOP("MainWindow", "&Remove"),
         QT_TRANSLATE_NOOP("MainWindow", "&Remove All Unchecked"), ":/images/UncheckRemove",
         QT_TRANSLATE_NOOP("MainWindow", "Delete all unchecked pages from the list."), "", false,
         PageActions},
        {Command::TwoSidedStack, 2, QT_TRANSLATE_NOOP("MainWindow", "&Move"),
         QT_TRANSLATE_NOOP("MainWindow", "Two-Sided &Stack"), ":/images/TwoSided",
         QT_TRANSLATE_NOOP(
             "MainWindow",
             "Put the fronts and then the backs of a stack (the checked pages, or all) in reading "
             "order."),
         "", false, PageActions},
        {Command::Help, 3, QT_TRANSLATE_NOOP("MainWindow", "&Help"),
         QT_TRANSLATE_NOOP("MainWindow", "&Help"), ":/images/Help",
         QT_TRANSLATE_NOOP("MainWindow", "Show Help"), "", false, NoList},
        {Command::About, 3, QT_TRANSLATE_NOOP("MainWindow", "&Help"),
         QT_TRANSLATE_NOOP("MainWindow", "&About"), ":/images/About",
         QT_TRANSLATE_NOOP("MainWindow", "About Software"), "", false, NoList},
        {Command::Update, 3, QT_TRANSLATE_NOOP("MainWindow", "&Help"),
         QT_TRANSLATE_NOOP("MainWindow", "Check &Updates"), ":/images/Update",
         QT_TRANSLATE_NOOP("MainWindow", "Check for updates in Internet."), "", false, NoList},
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
