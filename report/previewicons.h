#pragma once

#include <QIcon>

namespace report {

/// The pictures of the preview's tool bar, drawn at run time for every screen scale.
enum class PreviewIcon {
    ZoomFit,
    ZoomWidth,
    Zoom100,
    ZoomMenu,
    FirstPage,
    PreviousPage,
    NextPage,
    LastPage,
    GotoPage,
    Find,
    Copy,
    PrinterSetup,
    Print,
    Open,
    Save,
    Cancel,
    Close,
};

QIcon previewIcon(PreviewIcon icon);

} // namespace report
