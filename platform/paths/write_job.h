#pragma once
// WriteJob: a sequence of file-system steps, prepared on the thread that owns the data and
// carried out in order, on that thread (Run) or on a worker thread (RunOffThread).
//
// A step works only with what it holds: its own copies of the bytes, names and folders it
// writes, taken when it was prepared, never objects the preparing thread may change meanwhile.
// It returns what is to be done afterwards on the calling thread (an empty function: nothing),
// such as reporting what it found or marking its record saved.
//
// Both ways of running:
//  - the steps run one after the other, in the order they were added, inside one
//    FolderSyncBatch of the thread that runs them: each file is flushed before it replaces the
//    old one and every folder written to is flushed after the last step (also when a step
//    failed), so all of it is on disk when the run returns;
//  - then the afterwards of the completed steps run on the calling thread, in order;
//  - a step that throws ends the run there: the later steps do not run, the afterwards of the
//    steps before it run, then its exception is raised again on the calling thread.
//
// RunOffThread keeps the calling thread handling its events while the steps run (a local
// QEventLoop: paint, timers, sockets, posted calls), so a window keeps painting; it returns
// when the steps ended. Without an application object, or when no thread can be started, it
// runs the steps on the calling thread instead. A job runs once.

#include <functional>
#include <vector>

namespace vyk::platform {

class WriteJob {
public:
    using Afterwards = std::function<void()>;
    using Step = std::function<Afterwards()>;

    WriteJob() = default;
    WriteJob(const WriteJob&) = delete;
    WriteJob& operator=(const WriteJob&) = delete;

    void Add(Step AStep);
    bool Empty() const { return FSteps.empty(); }

    void Run();
    void RunOffThread();

private:
    std::vector<Step> FSteps;
};

}  // namespace vyk::platform
