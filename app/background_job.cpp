#include "app/background_job.h"

#include <atomic>

namespace {
std::atomic<bool> abandonedJobs{false};
}  // namespace

void background_job_detail::NoteAbandoned() { abandonedJobs = true; }

bool AnyBackgroundJobAbandoned() { return abandonedJobs; }
