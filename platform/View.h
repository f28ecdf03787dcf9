// The smallest view: a frame rectangle and a list of subviews that it owns.
//
// Views are created, sized and destroyed by their host on its main thread; a subview lives as long as its parent.
#pragma once

#include "platform/Geometry.h"

#include <memory>
#include <vector>

class View {
public:
    explicit View(Rect frame = kZeroRect) : frame_(frame) {}
    virtual ~View() = default;
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    Rect frame() const { return frame_; }
    virtual void setFrameSize(Size newSize)
    {
        frame_.width = newSize.width;
        frame_.height = newSize.height;
    }

    // Takes ownership; returns the subview for the caller's own reference.
    template <typename T>
    T* addSubview(std::unique_ptr<T> subview)
    {
        T* raw = subview.get();
        subviews_.push_back(std::move(subview));
        return raw;
    }
    const std::vector<std::unique_ptr<View>>& subviews() const { return subviews_; }

private:
    Rect frame_;
    std::vector<std::unique_ptr<View>> subviews_;
};
