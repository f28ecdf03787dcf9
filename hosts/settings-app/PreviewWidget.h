// The settings window's live preview: one InkspinView drawn into a QOpenGLWidget, driven by the same HostDriver as
// every other host, at the interval the view asks for (a timer sleeps until the next frame is due).
//
// The widget is the view's OpenGL context: making it current binds the widget's framebuffer, whose size follows the
// widget. It needs a compatibility-profile context (set as the default surface format before QApplication is made)
// and a platform with OpenGL (xcb). The view starts when the widget's context exists and stops, with its textures
// released in that context, in stop() or when the widget goes away. One preview per process: it installs itself as
// the process's OpenGL context provider.
#pragma once

#include "platform/HostDriver.h"
#include "platform/OpenGLView.h"
#include "saver/InkspinView.h"

#include <QOpenGLWidget>
#include <QTimer>

#include <memory>

class PreviewWidget : public QOpenGLWidget, public OpenGLContext {
    Q_OBJECT
public:
    explicit PreviewWidget(QWidget* parent = nullptr);

    // Makes every OpenGL context of the process a compatibility-profile one, as the saver's fixed-function drawing
    // needs. Call before the QApplication is made.
    static void UseCompatibilityProfile();
    ~PreviewWidget() override;

    InkspinView& view() { return *view_; }
    bool started() const { return started_; }
    // Stops the view and starts a new one, which reads the preferences file as every new view does (the file
    // changed). Never while a sheet of the current view is open: its controls hold on to that view.
    void reload();
    // Frames the view drew since the start (host calls that drew nothing do not count).
    long framesDrawn() const { return frames_; }
    void stop();

    bool makeCurrentContext() override;
    void setDrawableSize(int, int) override {} // the framebuffer follows the widget

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

private:
    void scheduleNextFrame();

    std::unique_ptr<InkspinView> view_ = std::make_unique<InkspinView>();
    std::unique_ptr<HostDriver> driver_ = std::make_unique<HostDriver>(*view_);
    QTimer timer_;
    bool started_ = false;
    bool stopped_ = false;
    long frames_ = 0;
};
