#pragma once

// Helpers of the widget tests that drive modal dialogs: a dialog started
// with exec() is answered from a timer once it is the active modal window.

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace velkaro::test {

// Calls act once with the first visible active modal widget of type T.
// Gives up after timeoutMs, so that a missing dialog fails the test (the
// flow returns) instead of hanging it.
template <class T>
void OnModal(std::function<void(T*)> act, int timeoutMs = 10000)
{
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, act, clock, timeoutMs] {
        T* widget = qobject_cast<T*>(QApplication::activeModalWidget());
        if (widget && widget->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(widget);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

// Writes the widget's picture for a look by eye.
inline bool SavePicture(QWidget& widget, const QString& path)
{
    return widget.grab().toImage().save(path);
}

}  // namespace velkaro::test
