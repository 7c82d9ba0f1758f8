#include "platform/paths/write_job.h"

#include "platform/paths/file_io.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

#include <exception>
#include <system_error>
#include <thread>
#include <utility>

namespace vyk::platform {

namespace {

// Runs the steps in order in one batch; the afterwards of the completed ones are collected, the
// first failure is returned (the batch has flushed its folders by then).
std::exception_ptr runSteps(std::vector<WriteJob::Step>& steps, std::vector<WriteJob::Afterwards>& afterwards) {
    try {
        FolderSyncBatch batch;
        for (WriteJob::Step& step : steps) {
            if (WriteJob::Afterwards then = step()) afterwards.push_back(std::move(then));
        }
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

void finish(std::vector<WriteJob::Afterwards>& afterwards, const std::exception_ptr& error) {
    for (WriteJob::Afterwards& then : afterwards) then();
    if (error) std::rethrow_exception(error);
}

}  // namespace

void WriteJob::Add(Step AStep) { FSteps.push_back(std::move(AStep)); }

void WriteJob::Run() {
    std::vector<Step> steps = std::exchange(FSteps, {});
    std::vector<Afterwards> afterwards;
    const std::exception_ptr error = runSteps(steps, afterwards);
    finish(afterwards, error);
}

void WriteJob::RunOffThread() {
    if (QCoreApplication::instance() == nullptr) {
        Run();
        return;
    }
    std::vector<Step> steps = std::exchange(FSteps, {});
    std::vector<Afterwards> afterwards;
    std::exception_ptr error;
    QEventLoop loop;
    std::thread worker;
    try {
        worker = std::thread([&] {
            error = runSteps(steps, afterwards);
            // Delivered by the loop below (a call posted to a loop that is gone by then is
            // dropped with it).
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        error = runSteps(steps, afterwards);
        finish(afterwards, error);
        return;
    }
    // The quit can only be handled inside exec, so it is never lost. exec also returns early
    // when the application is told to quit; the join then waits for the steps.
    loop.exec();
    worker.join();
    finish(afterwards, error);
}

}  // namespace vyk::platform
