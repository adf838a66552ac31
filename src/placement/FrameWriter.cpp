#include "placement/FrameWriter.h"

namespace panemark {

void FrameWriter::exact(WindowService& windows, const Rect& frame, WindowRef window,
                        double timeout) {
    windows.writePosition(window, frame.x, frame.y, timeout);
    windows.writeSize(window, frame.width, frame.height, timeout);
    windows.writePosition(window, frame.x, frame.y, timeout);
}

void FrameWriter::fast(WindowService& windows, const Rect& frame, WindowRef window,
                       WindowAnimation::FrameWrite write, double timeout) {
    switch (write) {
    case WindowAnimation::FrameWrite::positionOnly:
        windows.writePosition(window, frame.x, frame.y, timeout);
        break;
    case WindowAnimation::FrameWrite::positionThenSize:
        windows.writePosition(window, frame.x, frame.y, timeout);
        windows.writeSize(window, frame.width, frame.height, timeout);
        break;
    case WindowAnimation::FrameWrite::sizeThenPosition:
        windows.writeSize(window, frame.width, frame.height, timeout);
        windows.writePosition(window, frame.x, frame.y, timeout);
        break;
    }
}

} // namespace panemark
