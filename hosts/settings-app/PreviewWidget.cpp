#include "hosts/settings-app/PreviewWidget.h"

#include <QOpenGLContext>
#include <QSurfaceFormat>

#include <cmath>

PreviewWidget::PreviewWidget(QWidget* parent) : QOpenGLWidget(parent)
{
    // A frame the view skips (less than a tick passed) must leave the last one on screen.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    // Opaque on every platform: the zoom background leaves alpha below 1 in what it draws, and a compositor that
    // honours alpha (Wayland's) would show the window's grey through the picture.
    setTextureFormat(GL_RGB8);
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    OpenGLSetContextProvider([this](const OpenGLPixelFormat&) -> OpenGLContext* { return this; });
    // The view is made only once OpenGL is there; its settings must be the user's before that, or an Options
    // sheet opened where OpenGL fails would show (and save) empty fields.
    view_->loadPrefs();
}

void PreviewWidget::UseCompatibilityProfile()
{
    QSurfaceFormat format;
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(16);
    QSurfaceFormat::setDefaultFormat(format);
}

PreviewWidget::~PreviewWidget()
{
    stop();
    OpenGLSetContextProvider({});
}

bool PreviewWidget::makeCurrentContext()
{
    if (context() == nullptr || !context()->isValid())
        return false;
    makeCurrent();
    return true;
}

void PreviewWidget::initializeGL()
{
    if (started_ || stopped_)
        return;
    const qreal ratio = devicePixelRatioF();
    const Rect frame = {0, 0, float(std::lround(width() * ratio)), float(std::lround(height() * ratio))};
    started_ = driver_->start(frame, true);
    scheduleNextFrame();
}

void PreviewWidget::reload()
{
    if (stopped_)
        return;
    timer_.stop();
    if (started_) {
        driver_->stop(); // in this widget's context, where the old view's textures live
        doneCurrent();
    }
    driver_.reset();
    view_ = std::make_unique<InkspinView>();
    driver_ = std::make_unique<HostDriver>(*view_);
    view_->loadPrefs();
    started_ = false;
    if (context() == nullptr)
        return; // initializeGL starts it when OpenGL is there
    makeCurrent();
    initializeGL();
    update();
}

void PreviewWidget::resizeGL(int width, int height)
{
    if (started_)
        driver_->resize({float(width), float(height)});
}

void PreviewWidget::paintGL()
{
    if (!started_)
        return;
    if (driver_->secondsUntilNextFrame() <= 0.0 && driver_->frame())
        ++frames_;
    scheduleNextFrame();
}

void PreviewWidget::scheduleNextFrame()
{
    if (started_)
        timer_.start(static_cast<int>(std::ceil(driver_->secondsUntilNextFrame() * 1000.0)));
}

void PreviewWidget::stop()
{
    timer_.stop();
    if (started_)
        driver_->stop(); // the view makes the widget's context current to delete its textures there
    if (context() != nullptr)
        doneCurrent();
    started_ = false;
    stopped_ = true;
}
