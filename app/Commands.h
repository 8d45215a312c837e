#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Every command of the ribbon, in the order the ribbon shows them.
enum class Command
{
    Settings,
    ScanPage,
    AutoScan,
    LoadFile,
    BuildPdf,
    BuildDjvu,
    BuildWord,
    ExportFiles,
    RotateLeft,
    RotateRight,
    RotateFlip,
    TurnChecked,
    ZoomIn,
    ZoomOut,
    ZoomFit,
    Crop,
    Brightness,
    Undo,
    Redo,
    MoveUp,
    MoveDown,
    MoveTop,
    MoveBottom,
    RemovePage,
    RemoveAll,
    RemoveAllButThis,
    RemoveAllChecked,
    RemoveAllUnchecked,
    TwoSidedStack,
    Help,
    About,
    Update,
};

// Lists a command belongs to; page actions are enabled only while pages exist, scan actions
// only when a scanner was found.
enum CommandList
{
    NoList = 0,
    PageActions = 1,
    ScanActions = 2
};

struct CommandInfo
{
    Command id;
    int page;          // index into ribbonPageTitles()
    const char *group; // group caption, translatable in the "MainWindow" context
    const char *text;  // command text with mnemonic
    const char *icon;  // resource path
    const char *toolTip;
    const char *shortcut; // key sequences in portable text, "; " between them; empty when none
    bool checkable;
    int lists;
};

// Texts are marked with QT_TRANSLATE_NOOP in the "MainWindow" context; the window translates
// them when it builds the ribbon.
const QList<CommandInfo> &commandTable();
const CommandInfo &commandInfo(Command id);
QStringList ribbonPageTitles();

// Context menus in their order; an empty entry stands for a separator.
QList<std::optional<Command>> editorMenuLayout();
QList<std::optional<Command>> pageMenuLayout();
