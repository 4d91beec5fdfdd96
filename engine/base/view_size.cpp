// The one view size.
#include "base/view_size.h"

static ViewSize g_view;

const ViewSize& viewSize() { return g_view; }

void setViewSize(int width, int height, double scale)
{
    g_view.width = width > 0 ? width : 0;
    g_view.height = height > 0 ? height : 0;
    g_view.scale = scale >= 1.0 ? scale : 1.0;
}
