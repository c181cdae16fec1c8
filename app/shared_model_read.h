// The model of a run, read once for all its windows: every window of a full-screen run
// on several monitors draws the same model, so the first one starts the read and the
// others join it; each takes its own model once the read is there.
#pragma once
#include <functional>
#include <memory>

#include "app/scene_model_read.h"

struct SharedModelRead;

// A window's claim on the run's model read.
class ModelReadTicket {
public:
    explicit ModelReadTicket(std::shared_ptr<SharedModelRead> read);
    // A window that goes before it took its model no longer counts: once no window
    // waits for the read, it is let go.
    ~ModelReadTicket();
    ModelReadTicket(const ModelReadTicket&) = delete;
    ModelReadTicket& operator=(const ModelReadTicket&) = delete;

    bool finished() const;
    // Waits until finished (tests, and callers that cannot go on without the model).
    void wait();
    // Once finished, taken once: the model. The last window still waiting takes the
    // read itself, the others a copy; only the first gets the readers' notices, which
    // are reported once for the run.
    SceneModelRead take();

private:
    std::shared_ptr<SharedModelRead> read_;
    bool taken_ = false;
};

// Joins the run's model read: the one still read or still waited for, or when there is
// none a new read of what `prepare` returns. `prepare` runs only for a new read: it may
// write the files that a running read reads.
std::unique_ptr<ModelReadTicket> JoinModelRead(const std::function<SceneModelChoice()>& prepare);
