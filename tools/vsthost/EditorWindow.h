// A host's window for a plug-in's editor on X11: a top-level window of the editor's size on
// the host's own display connection, the window id handed to effEditOpen, effEditIdle about
// 30 times a second. Used by orvanne-render --edit and the editor's window tests.
#pragma once

#include "PluginHost.h"

#include <memory>
#include <string>

namespace vsthost {

class EditorWindow {
public:
    // Opens the plug-in's editor in a new window. On failure answers null with a one-line reason
    // in error (no display, a plug-in without an editor, an editor that does not open).
    static std::unique_ptr<EditorWindow> open(PluginHost& host, const std::string& title, std::string& error);
    ~EditorWindow(); // closes the editor, then the window

    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // Handles the host window's events and idles the editor once. False once the user has
    // closed the window (the editor is then closed).
    bool step();
    // Steps about 30 times a second until the user closes the window.
    void runUntilClosed();
    // Steps for the given time.
    void runFor(int milliseconds);
    // effEditClose and the window goes; safe to call twice.
    void close();
    bool isOpen() const { return window != 0; }

    // The host's window id (the value given to effEditOpen) and its connection.
    unsigned long windowId() const { return window; }
    void* display() const { return connection; }
    int width() const { return editorWidth; }
    int height() const { return editorHeight; }

private:
    EditorWindow() = default;
    PluginHost* host = nullptr;
    void* connection = nullptr;
    unsigned long window = 0;
    unsigned long deleteAtom = 0;
    int editorWidth = 0;
    int editorHeight = 0;
    bool editorOpen = false;
};

} // namespace vsthost
