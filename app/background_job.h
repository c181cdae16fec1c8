// Work done on a thread of its own, whose result its owner takes once it is there: the
// model a saver window draws, the summary the configuration dialog shows. One way for
// all of it, so that every such thread is owned and the process ends cleanly with it.
#pragma once
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace background_job_detail {
// Marks that a job was dropped while its thread still worked.
void NoteAbandoned();
}  // namespace background_job_detail

// Whether a job was dropped while its thread still worked. Such a thread may be in the
// middle of a reader when the process ends: the process must then end without running
// its exit handlers, which would tear down what the thread may be using.
bool AnyBackgroundJobAbandoned();

template <typename Result>
class BackgroundJob {
public:
    // Runs `work` on a new thread. `whenDone`, when given, is called on that thread once
    // the result is there (to wake the owner's message loop), never after the job was
    // dropped.
    explicit BackgroundJob(std::function<Result()> work, std::function<void()> whenDone = {})
        : shared(std::make_shared<Shared>()) {
        shared->whenDone = std::move(whenDone);
        // The thread holds the shared part itself: it outlives a job dropped early.
        thread = std::thread([state = shared, work = std::move(work)] {
            Result result = work();
            std::lock_guard<std::mutex> hold(state->lock);
            state->result = std::move(result);
            state->finished = true;
            state->done.notify_all();
            if (state->whenDone) state->whenDone();
        });
    }

    // A job still working is left to its thread, which throws its result away.
    ~BackgroundJob() {
        std::unique_lock<std::mutex> hold(shared->lock);
        shared->whenDone = nullptr;
        const bool done = shared->finished;
        hold.unlock();
        if (done) {
            thread.join();
        } else {
            background_job_detail::NoteAbandoned();
            thread.detach();
        }
    }

    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    bool finished() const {
        std::lock_guard<std::mutex> hold(shared->lock);
        return shared->finished;
    }

    // Waits until finished (tests, and callers that cannot go on without the result).
    void wait() const {
        std::unique_lock<std::mutex> hold(shared->lock);
        shared->done.wait(hold, [this] { return shared->finished; });
    }

    // The result, once finished; taken once.
    Result take() {
        std::lock_guard<std::mutex> hold(shared->lock);
        return std::move(shared->result);
    }

private:
    struct Shared {
        std::mutex lock;
        std::condition_variable done;
        bool finished = false;
        Result result{};
        std::function<void()> whenDone;
    };
    std::shared_ptr<Shared> shared;
    std::thread thread;
};
