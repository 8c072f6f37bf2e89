#include "net/httpclient.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDevice>
#include <QIODevice>
#include <QPointer>

#include <cstring>
#include <memory>
#include <thread>

QByteArray httpRequestAddress(const QString &url)
{
    QString rest = url;
    QString scheme = QStringLiteral("http://");
    if (rest.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        rest.remove(0, 7);
    } else if (rest.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        rest.remove(0, 8);
        scheme = QStringLiteral("https://");
    }
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    const QString host = slash < 0 ? rest : rest.left(slash);
    const QString path = slash < 0 ? QStringLiteral("/") : rest.mid(slash);
    return (scheme + host + path).toUtf8();
}

bool CurlTransfer::open()
{
    const CurlApi *curl = curlApi();
    if (!curl)
        return false;
    CURL *easy = curl->easy_init();
    CURLM *multi = curl->multi_init();
    if (easy) {
        // Worker threads must not get signals; only plain HTTP(S), never file:// or the like.
        curl->easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl->easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl->easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        // The path goes out exactly as the program built it.
        curl->easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    }
    std::lock_guard lock(mutex_);
    curl_ = curl;
    easy_ = easy;
    multi_ = multi;
    return easy_ && multi_;
}

CurlTransfer::~CurlTransfer()
{
    if (!curl_)
        return;
    curl_->multi_cleanup(multi_);
    curl_->easy_cleanup(easy_);
}

CURLcode CurlTransfer::perform()
{
    CURLcode result = CURLE_FAILED_INIT;
    if (!easy_ || !multi_ || curl_->multi_add_handle(multi_, easy_) != CURLM_OK)
        return result;
    int running = 1;
    while (!stop_.load()) {
        if (curl_->multi_perform(multi_, &running) != CURLM_OK || running == 0)
            break;
        // interrupt() wakes this poll at once; the timeout is only a backstop.
        if (curl_->multi_poll(multi_, nullptr, 0, 1000, nullptr) != CURLM_OK)
            break;
    }
    int left = 0;
    while (CURLMsg *msg = curl_->multi_info_read(multi_, &left)) {
        if (msg->msg == CURLMSG_DONE)
            result = msg->data.result;
    }
    curl_->multi_remove_handle(multi_, easy_);
    return stop_.load() ? CURLE_ABORTED_BY_CALLBACK : result;
}

void CurlTransfer::interrupt()
{
    stop_.store(true);
    std::lock_guard lock(mutex_);
    if (multi_)
        curl_->multi_wakeup(multi_);
}

EHttpException::EHttpException(const QString &message, int errorCode)
    : std::runtime_error(message.toStdString()), errorCode_(errorCode)
{
}

struct THttpClient::Job
{
    CurlTransfer transfer;
    QIODevice *stream = nullptr;
    std::int64_t maxSize = 0;
    curl_slist *headers = nullptr;
    std::int64_t received = 0;
    long status = 0;
    QByteArray reason;
    bool tooLarge = false;
    bool writeFailed = false;
    CURLcode result = CURLE_OK;
    std::atomic<bool> done{false};

    ~Job()
    {
        if (headers)
            transfer.curl()->slist_free_all(headers);
    }

    // Keeps the status line of the last response, the one after any redirection.
    // Returning anything but size ends the transfer.
    static size_t header(char *data, size_t, size_t size, void *user)
    {
        auto *job = static_cast<Job *>(user);
        const QByteArray line = QByteArray(data, qsizetype(size)).trimmed();
        if (line.startsWith("HTTP/")) {
            const QList<QByteArray> parts = line.split(' ');
            job->status = parts.size() > 1 ? parts[1].toLong() : 0;
            const qsizetype reasonAt = line.indexOf(' ', line.indexOf(' ') + 1);
            job->reason = reasonAt < 0 ? QByteArray() : line.mid(reasonAt + 1).trimmed();
        } else if (line.toLower().startsWith("content-length:") && (job->status < 300 || job->status >= 400)) {
            // Refused before a byte of the body is stored.
            bool ok = false;
            if (line.mid(15).trimmed().toLongLong(&ok) > job->maxSize && ok) {
                job->tooLarge = true;
                return 0;
            }
        }
        return size;
    }

    static size_t body(char *data, size_t, size_t size, void *user)
    {
        auto *job = static_cast<Job *>(user);
        // An error page is not the file asked for: stop at once.
        if (job->transfer.interrupted() || job->status >= 400)
            return 0;
        if (job->received + std::int64_t(size) > job->maxSize) {
            job->tooLarge = true;
            return 0;
        }
        if (job->stream->write(data, qint64(size)) != qint64(size)) {
            job->writeFailed = true;
            return 0;
        }
        // On disk as it arrives, not when the file is closed.
        if (auto *file = qobject_cast<QFileDevice *>(job->stream))
            file->flush();
        job->received += std::int64_t(size);
        return size;
    }
};

THttpClient::THttpClient(QObject *parent)
    : QObject(parent)
{
}

THttpClient::~THttpClient()
{
    // A Get still running in a nested event loop finds this object gone and
    // reports the transfer as abandoned.
    if (running_)
        running_->transfer.interrupt();
}

static EHttpException aborted()
{
    return EHttpException(QStringLiteral("Connection aborted on request"), 404);
}

void THttpClient::Get()
{
    if (running_)
        throw EHttpException(QStringLiteral("HTTP component is busy"), 0);
    if (!RcvdStream)
        throw EHttpException(QStringLiteral("No destination for the download"), 0);
    if (QCoreApplication::closingDown())
        throw aborted();
    statusCode_ = 0;
    auto job = std::make_shared<Job>();
    // Without libcurl the download fails like a connection that cannot be made.
    if (!job->transfer.open()) {
        const QString why = curlApiError();
        throw EHttpException(why.isEmpty() ? QStringLiteral("libcurl could not start a transfer") : why, 404);
    }
    const CurlApi *curl = job->transfer.curl();
    job->stream = RcvdStream;
    job->maxSize = MaxSize;
    job->headers = curl->slist_append(job->headers, ("Accept: " + Accept).toUtf8().constData());
    if (NoCache)
        job->headers = curl->slist_append(job->headers, "Pragma: no-cache");
    const QByteArray address = httpRequestAddress(URL);
    const QByteArray agent = Agent.toUtf8();
    CURL *easy = job->transfer.easy();
    curl->easy_setopt(easy, CURLOPT_URL, address.constData());
    curl->easy_setopt(easy, CURLOPT_HTTP_VERSION,
                      long(RequestVer == QLatin1String("1.1") ? CURL_HTTP_VERSION_1_1 : CURL_HTTP_VERSION_1_0));
    if (!agent.isEmpty())
        curl->easy_setopt(easy, CURLOPT_USERAGENT, agent.constData());
    curl->easy_setopt(easy, CURLOPT_HTTPHEADER, job->headers);
    curl->easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl->easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl->easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Job::header);
    curl->easy_setopt(easy, CURLOPT_HEADERDATA, job.get());
    curl->easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Job::body);
    curl->easy_setopt(easy, CURLOPT_WRITEDATA, job.get());

    QPointer<THttpClient> self(this);
    running_ = job.get();
    QCoreApplication *app = QCoreApplication::instance();
    {
        QEventLoop loop;
        if (app)
            connect(app, &QCoreApplication::aboutToQuit, &loop, [job] { job->transfer.interrupt(); });
        std::thread worker([job, &loop] {
            job->result = job->transfer.perform();
            job->done.store(true);
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
        // The loop also ends when the application exits every event loop on
        // its way out; the transfer is then unfinished and is abandoned.
        if (app)
            loop.exec();
        if (!job->done.load())
            job->transfer.interrupt();
        worker.join();
    }
    if (!self)
        throw aborted();
    running_ = nullptr;
    statusCode_ = int(job->status);

    if (job->transfer.interrupted())
        throw aborted();
    if (job->tooLarge)
        throw EHttpException(QStringLiteral("The download is larger than %1 bytes").arg(MaxSize), 404);
    if (job->status >= 400) {
        const QString reason = QString::fromLatin1(job->reason);
        throw EHttpException(reason.isEmpty() ? QString::number(job->status) : reason, int(job->status));
    }
    if (job->writeFailed)
        throw EHttpException(QStringLiteral("Cannot write the download: %1").arg(RcvdStream->errorString()), 404);
    switch (job->result) {
    case CURLE_OK:
        return;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        throw EHttpException(QStringLiteral("can't resolve hostname to IP address"), 404);
    case CURLE_COULDNT_CONNECT: {
        long error = 0;
        curl->easy_getinfo(easy, CURLINFO_OS_ERRNO, &error);
        const QString description = error ? QString::fromLocal8Bit(std::strerror(int(error)))
                                          : QString::fromUtf8(curl->easy_strerror(job->result));
        throw EHttpException(QStringLiteral("can't connect: %1 (Error #%2)").arg(description).arg(error), 404);
    }
    default:
        throw EHttpException(QString::fromUtf8(curl->easy_strerror(job->result)), 404);
    }
}
