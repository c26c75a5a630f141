#include <QorpFrameWnd.h>

IMPLEMENT_DYNAMIC(CQORPFrameWnd, CFrameWnd)
