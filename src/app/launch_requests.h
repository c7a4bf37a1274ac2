#pragma once

#include "app/command_line.h"

class QuillboxApp;

// Carries out what a launch asked for, in the window of this process.
class LaunchRequests
{
public:
    // A running application: at once.
    static void perform(QuillboxApp& app, const CommandLine::Request& request);
    // The launch that started it: once the folder has been read, so that the note asked for
    // is listed and a new one is named among the others. The window is shown unless the
    // session bus started us to answer a search.
    static void start(QuillboxApp& app, const CommandLine::Request& request);
};
