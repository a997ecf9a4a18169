#pragma once

class QWidget;

namespace tervo {

// Puts what a window holds into a scroll area and sizes the window to its contents, at most the
// screen it opens on: on a small screen every control stays in reach. Called at the end of the
// window's constructor, once its layout holds everything.
void scrollWhenTooBig(QWidget &window);

} // namespace tervo
