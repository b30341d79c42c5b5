#pragma once
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <vector>

namespace setrion::gui {

// The program's icons by resource number, painted in code on a 32 x 32 grid and
// scaled to the size asked for. An unknown number gives a null pixmap.
QPixmap iconPixmap(int resource, QSize size = {32, 32});
QIcon windowIcon();  // resource 128
// Every resource number the dialogs use.
const std::vector<int>& iconResources();

}  // namespace setrion::gui
