#include "app/shared_model_read.h"

#include <optional>
#include <utility>

// One read and the windows still waiting for it. Used on the windows' thread only;
// the read itself runs on its job's thread.
struct SharedModelRead {
    std::unique_ptr<SceneModelReadJob> job;  // null once its result is taken
    std::optional<SceneModelRead> result;    // from the job, until the last window took it
    int waiting = 0;                          // tickets that have not taken their model
    bool noticesGiven = false;

    bool open() const { return job || result; }
    void Leave() {
        if (--waiting > 0) return;
        job.reset();
        result.reset();
    }
};

namespace {
std::weak_ptr<SharedModelRead> runRead;
}  // namespace

ModelReadTicket::ModelReadTicket(std::shared_ptr<SharedModelRead> read) : read_(std::move(read)) {
    ++read_->waiting;
}

ModelReadTicket::~ModelReadTicket() {
    if (!taken_) read_->Leave();
}

bool ModelReadTicket::finished() const {
    return read_->result || (read_->job && read_->job->finished());
}

void ModelReadTicket::wait() {
    if (!read_->result && read_->job) read_->job->wait();
}

SceneModelRead ModelReadTicket::take() {
    SharedModelRead& shared = *read_;
    if (!shared.result) {
        shared.result = shared.job->take();
        shared.job.reset();
    }
    SceneModelRead read = shared.waiting == 1 ? std::move(*shared.result) : *shared.result;
    if (shared.noticesGiven) read.notices.notices.clear();
    shared.noticesGiven = true;
    taken_ = true;
    shared.Leave();
    return read;
}

std::unique_ptr<ModelReadTicket> JoinModelRead(const std::function<SceneModelChoice()>& prepare) {
    std::shared_ptr<SharedModelRead> read = runRead.lock();
    if (!read || !read->open()) {
        read = std::make_shared<SharedModelRead>();
        read->job = StartSceneModelRead(prepare());
        runRead = read;
    }
    return std::make_unique<ModelReadTicket>(std::move(read));
}
