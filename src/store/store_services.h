#pragma once

class Clock;
class FolderAccessService;
class TrashService;

// What the store needs from the desktop. The application passes the real ones; tests pass
// scripted fakes.
struct StoreServices
{
    TrashService& trash;
    const Clock& clock;
    FolderAccessService& folders;
};
