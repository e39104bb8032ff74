#pragma once
// Runs a test's steps from within a modal panel's run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

// Runs `inside` from within the panel's modal run that `open` starts, then
// checks that the run ended (a panel that never ends would hang the test: it
// is ended by force and the test fails).
inline void runModally(const std::function<void()>& open, const std::function<void()>& inside) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        inside();
    });
    QTimer guard;
    guard.setSingleShot(true);
    bool forced = false;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        forced = true;
        if (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget())) w->done(QDialog::Rejected);
    });
    guard.start(5000);
    open();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(forced) << "the modal panel did not end";
}
