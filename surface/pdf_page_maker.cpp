#include "surface/pdf_page_maker.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

namespace DIALOG {

namespace {

bool inWindow(int page, int shown)
{
    return page >= shown - kPdfPagesBehind && page <= shown + kPdfPagesAhead;
}

bool at(const std::vector<bool>& flags, int i)
{
    return i >= 0 && std::size_t(i) < flags.size() && flags[std::size_t(i)];
}

} // namespace

std::vector<int> PdfPagesToMake(int shown, int count, const std::vector<bool>& made)
{
    std::vector<int> pages;
    const auto add = [&](int page) {
        if (page >= 0 && page < count && !at(made, page))
            pages.push_back(page);
    };
    for (int k = 0; k <= kPdfPagesAhead; ++k)
        add(shown + k);
    for (int k = 1; k <= kPdfPagesBehind; ++k)
        add(shown - k);
    return pages;
}

std::vector<int> PdfPagesToLetGo(
    int shown, int count, const std::vector<bool>& made, const std::vector<bool>& written)
{
    std::vector<int> pages;
    for (int page = 0; page < count && std::size_t(page) < made.size(); ++page) {
        if (made[std::size_t(page)] && !at(written, page) && !inWindow(page, shown))
            pages.push_back(page);
    }
    return pages;
}

struct PdfPageMaker::Shared {
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable endedSignal;
    std::deque<int> wanted {0};
    // Pages made and not forgotten since: asked for again, they are not drawn twice.
    std::set<int> made;
    std::atomic<bool> stop {false};
    bool ended = false;
    QString path;
    QString pdf;
    QSize screen;
    Events events;
    Prepare prepare;

    // Runs the work, and tells it has ended only once the PDF library has let go of the document: a
    // program may leave as soon as it hears, and its exit must not meet the library still closing it.
    void run()
    {
        work();
        end();
    }
    void work();
    void end()
    {
        std::lock_guard guard(lock);
        ended = true;
        endedSignal.notify_all();
    }
};

void PdfPageMaker::Shared::work()
{
    QString file = path;
    if (prepare) {
        QString error;
        const bool printed = prepare([this] { return stop.load(); }, &file, &error);
        if (!printed) {
            std::lock_guard guard(lock);
            if (!stop && events.opened)
                events.opened(PdfProblem::Unreadable, 0, error);
        }
        if (!printed || stop)
            return;
    }
    PdfPages pages;
    const PdfProblem problem = pages.Open(file);
    {
        std::lock_guard guard(lock);
        if (stop)
            return;
        if (problem == PdfProblem::None)
            pdf = file;
        if (events.opened)
            events.opened(problem, pages.Count(), QString());
    }
    if (problem != PdfProblem::None)
        return;
    for (;;) {
        int page = -1;
        {
            std::unique_lock guard(lock);
            wake.wait(guard, [this] { return stop || !wanted.empty(); });
            if (stop)
                break;
            page = wanted.front();
            wanted.pop_front();
            if (made.count(page))
                continue;
        }
        const QImage image = pages.Render(page, screen, &stop);
        std::lock_guard guard(lock);
        if (stop)
            break;
        made.insert(page);
        if (events.made)
            events.made(page, image);
    }
}

PdfPageMaker::PdfPageMaker(const QString& path, const QSize& screen, Events events, Prepare prepare)
    : shared_(std::make_shared<Shared>())
{
    shared_->path = path;
    shared_->screen = screen;
    shared_->events = std::move(events);
    shared_->prepare = std::move(prepare);
    // The thread holds the shared state itself: it may outlive this object, inside the PDF library.
    std::thread([shared = shared_] { shared->run(); }).detach();
}

PdfPageMaker::~PdfPageMaker()
{
    Stop();
}

void PdfPageMaker::Want(const std::vector<int>& pages)
{
    std::lock_guard guard(shared_->lock);
    shared_->wanted.assign(pages.begin(), pages.end());
    shared_->wake.notify_all();
}

void PdfPageMaker::Forget(int page)
{
    std::lock_guard guard(shared_->lock);
    shared_->made.erase(page);
}

QString PdfPageMaker::PdfPath() const
{
    std::lock_guard guard(shared_->lock);
    return shared_->pdf;
}

void PdfPageMaker::Stop()
{
    std::lock_guard guard(shared_->lock);
    shared_->stop = true;
    shared_->wake.notify_all();
}

bool PdfPageMaker::WaitUntilEnded(int timeoutMs)
{
    std::unique_lock guard(shared_->lock);
    return shared_->endedSignal.wait_for(
        guard, std::chrono::milliseconds(std::max(0, timeoutMs)), [this] { return shared_->ended; });
}

} // namespace DIALOG
