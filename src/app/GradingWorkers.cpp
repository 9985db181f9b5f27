#include "app/GradingWorkers.h"

#include "model/CTree.h"
#include "storage/CRString.h"

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// How far the workers may run ahead of the delivery, in documents per worker, so that kept
// trees waiting to be drawn do not pile up.
constexpr std::size_t kLeadPerWorker = 4;

// The documents, the results waiting for delivery, and who takes which document next.
class CGradingQueue {
public:
    CGradingQueue(std::size_t count, std::size_t lead) : results(count), most(lead) {}

    // The next document to grade; false when there is none left.
    bool take(std::size_t& index) {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [this] { return next >= results.size() || next < delivered + most; });
        if (next >= results.size())
            return false;
        index = next++;
        return true;
    }

    void finish(std::size_t index, RGradeResult result) {
        {
            const std::lock_guard<std::mutex> hold(lock);
            results[index] = std::move(result);
        }
        changed.notify_all();
    }

    // Waits for the result of the next document in order.
    RGradeResult waitForNext() {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [this] { return results[delivered].has_value(); });
        RGradeResult result = std::move(*results[delivered]);
        results[delivered].reset();
        ++delivered;
        hold.unlock();
        changed.notify_all();
        return result;
    }

private:
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::optional<RGradeResult>> results;
    std::size_t next = 0;
    std::size_t delivered = 0;
    std::size_t most;
};

} // namespace

int gradingWorkerCount() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void gradeDocuments(const CDocumentGrader& grader, const std::vector<std::string>& documents,
                    int workers, bool keepTrees,
                    const std::function<void(RGradeResult&)>& deliver) {
    const std::size_t threads =
        std::min(documents.size(), static_cast<std::size_t>(std::max(workers, 1)));
    if (threads <= 1) {
        for (const std::string& document : documents) {
            RGradeResult result = grader.grade(document, keepTrees);
            deliver(result);
        }
        return;
    }
    CGradingQueue queue(documents.size(), threads * kLeadPerWorker);
    std::vector<std::thread> pool;
    for (std::size_t t = 0; t < threads; ++t) {
        pool.emplace_back([&grader, &documents, &queue, keepTrees] {
            std::size_t index = 0;
            while (queue.take(index)) {
                queue.finish(index, grader.grade(documents[index], keepTrees));
                // Nothing this thread was handed outlives the document.
                CRString::garbageCollection();
            }
        });
    }
    for (std::size_t i = 0; i < documents.size(); ++i) {
        RGradeResult result = queue.waitForNext();
        deliver(result);
    }
    for (std::thread& thread : pool)
        thread.join();
}
