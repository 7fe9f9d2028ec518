#pragma once
// QTEST_MAIN with the application's own process set-up (app/main.cpp): shared OpenGL contexts, so moving the
// video to the full-screen window keeps its context, no disk caches, the product identity and fonts.

#include "app/application.h"
#include <QApplication>
#include <QtTest>

#define TOLVANE_TEST_MAIN(TestObject)                                                                        \
    int main(int argc, char* argv[]) {                                                                       \
        prepareProcess();                                                                                    \
        QApplication app(argc, argv);                                                                        \
        setUpApplication();                                                                                  \
        TestObject test;                                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }

// The same without shared contexts: the video must survive moving between windows without them too.
#define TOLVANE_TEST_MAIN_UNSHARED_GL(TestObject)                                                            \
    int main(int argc, char* argv[]) {                                                                       \
        QApplication app(argc, argv);                                                                        \
        TestObject test;                                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
