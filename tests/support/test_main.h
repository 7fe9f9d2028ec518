#pragma once
// QTEST_MAIN for programs whose windows hold OpenGL widgets: contexts are shared, as in the application
// (app/main.cpp), so moving the video to the full-screen window keeps its context.

#include <QApplication>
#include <QtTest>

#define TOLVANE_TEST_MAIN(TestObject)                                                                        \
    int main(int argc, char* argv[]) {                                                                       \
        QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                              \
        QApplication app(argc, argv);                                                                        \
        TestObject test;                                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }

// The same without shared contexts: reparenting then destroys and rebuilds a QOpenGLWidget's context.
#define TOLVANE_TEST_MAIN_UNSHARED_GL(TestObject)                                                            \
    int main(int argc, char* argv[]) {                                                                       \
        QApplication app(argc, argv);                                                                        \
        TestObject test;                                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
