#include "net/rankedclient.h"

#include "game/cardtext.h"
#include "net/httpget.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

std::optional<QJsonObject> object(const QByteArray &reply)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(reply, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<int> number(const QJsonValue &value, int lo, int hi)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (d != std::floor(d) || d < lo || d > hi)
        return std::nullopt;
    return int(d);
}

std::optional<int> card(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    return qv::parseCard(value.toString().toStdString());
}

bool isToken(const QString &text)
{
    return text.size() == 32 && std::all_of(text.begin(), text.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
           });
}

constexpr int maxTotal = 999999999;

} // namespace

std::optional<RankedStart> parseRankedStart(const QByteArray &reply)
{
    const auto o = object(reply);
    if (!o)
        return std::nullopt;
    const QString game = o->value(QLatin1String("game")).toString();
    const auto first = card(o->value(QLatin1String("card")));
    if (!isToken(game) || !first)
        return std::nullopt;
    return RankedStart{game, *first};
}

std::optional<RankedPlacement> parseRankedPlacement(const QByteArray &reply)
{
    const auto o = object(reply);
    if (!o)
        return std::nullopt;
    const auto round = number(o->value(QLatin1String("round")), 1, maxTotal);
    const auto placed = number(o->value(QLatin1String("placed")), 1, 16);
    if (!round || !placed)
        return std::nullopt;
    RankedPlacement p{*round, *placed, 0, std::nullopt};
    if (*placed < 16) {
        const auto next = card(o->value(QLatin1String("card")));
        if (!next)
            return std::nullopt;
        p.card = *next;
        return p;
    }
    qv::RankedRound scored;
    const auto starter = card(o->value(QLatin1String("starter")));
    const QJsonArray lines = o->value(QLatin1String("lines")).toArray();
    const auto hands = number(o->value(QLatin1String("hands_total")), 0, 8 * 29);
    const auto total = number(o->value(QLatin1String("running_total")), 0, maxTotal);
    const QString verdict = o->value(QLatin1String("verdict")).toString();
    if (!starter || lines.size() != 8 || !hands || !total
        || (verdict != QLatin1String("over") && verdict != QLatin1String("continue")))
        return std::nullopt;
    scored.starter = *starter;
    for (int k = 0; k < 8; ++k) {
        const auto line = number(lines[k], 0, 29);
        if (!line)
            return std::nullopt;
        scored.lines[std::size_t(k)] = *line;
    }
    scored.handsTotal = *hands;
    scored.runningTotal = *total;
    scored.over = verdict == QLatin1String("over");
    if (!scored.over) {
        const auto next = card(o->value(QLatin1String("next_round_card")));
        if (!next)
            return std::nullopt;
        scored.nextRoundCard = *next;
    }
    p.scored = scored;
    return p;
}

std::optional<qv::RankedPosition> parseRankedPosition(const QByteArray &reply)
{
    const auto o = object(reply);
    if (!o)
        return std::nullopt;
    qv::RankedPosition position;
    const auto round = number(o->value(QLatin1String("round")), 1, maxTotal);
    const auto placed = number(o->value(QLatin1String("placed")), 0, 16);
    const auto total = number(o->value(QLatin1String("running_total")), 0, maxTotal);
    const QJsonArray rows = o->value(QLatin1String("board")).toArray();
    if (!round || !placed || !total || rows.size() != 4)
        return std::nullopt;
    position.round = *round;
    position.runningTotal = *total;
    int count = 0;
    for (int row = 0; row < 4; ++row) {
        const QJsonArray cells = rows[row].toArray();
        if (cells.size() != 4)
            return std::nullopt;
        for (int col = 0; col < 4; ++col) {
            if (cells[col].toString().isEmpty() && cells[col].isString())
                continue;
            const auto c = card(cells[col]);
            if (!c)
                return std::nullopt;
            position.board[std::size_t(row)][std::size_t(col)] = *c;
            ++count;
        }
    }
    for (const QJsonValue &v : o->value(QLatin1String("round_totals")).toArray()) {
        const auto t = number(v, 0, 8 * 29);
        if (!t)
            return std::nullopt;
        position.roundTotals.push_back(*t);
    }
    position.over = o->value(QLatin1String("verdict")).toString() == QLatin1String("over");
    if (count != *placed)
        return std::nullopt;
    if (position.over) {
        const auto starter = card(o->value(QLatin1String("starter")));
        if (!starter || count != 16 || position.roundTotals.empty())
            return std::nullopt;
        position.starter = *starter;
    } else {
        const auto offered = card(o->value(QLatin1String("card")));
        if (!offered || count == 16)
            return std::nullopt;
        position.card = *offered;
    }
    return position;
}

QString rankedRefusalText(const QByteArray &reply)
{
    if (const auto o = object(reply); o && o->value(QLatin1String("error")).isString())
        return o->value(QLatin1String("error")).toString();
    return QString::fromUtf8(reply).trimmed().left(200);
}

QString rankedAddress(const QString &server, const QString &product, const QString &request)
{
    return server + product + QStringLiteral("/ranked/") + request;
}

QString rankedPageAddress(const QString &server, const QString &product)
{
    return server + QStringLiteral("counter/") + product + QStringLiteral("-ranked.shtml");
}

int RankedClient::retryDelayMs(int attempt)
{
    return 500 << std::clamp(attempt - 1, 0, 3);
}

RankedClient::RankedClient(QObject *parent)
    : QObject(parent)
{
    waitSign_.setSingleShot(true);
    waitSign_.setInterval(waitSignMs);
    connect(&waitSign_, &QTimer::timeout, this, [this] {
        waiting_ = true;
        emit waitingChanged(true);
    });
    attemptTimeout_.setSingleShot(true);
    attemptTimeout_.setInterval(attemptTimeoutMs);
    // The fetch ends as failed, and failed() sends it again.
    connect(&attemptTimeout_, &QTimer::timeout, this, [this] {
        if (fetch_)
            fetch_->AbortFetch();
    });
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &RankedClient::send);
}

RankedClient::~RankedClient()
{
    dropFetch();
}

void RankedClient::setServer(const QString &server, const QString &product)
{
    server_ = server;
    product_ = product;
}

bool RankedClient::newGame(const QString &name)
{
    QJsonObject body{{QStringLiteral("name"), name}};
    return begin(Kind::New, rankedAddress(server_, product_, QStringLiteral("new")),
                 QJsonDocument(body).toJson(QJsonDocument::Compact));
}

bool RankedClient::place(const QString &game, int row, int col, int card)
{
    // The card makes a retry unmistakable for the server.
    QJsonObject body{{QStringLiteral("game"), game},
                     {QStringLiteral("row"), row},
                     {QStringLiteral("col"), col},
                     {QStringLiteral("card"), QString::fromStdString(qv::cardText(card))}};
    return begin(Kind::Place, rankedAddress(server_, product_, QStringLiteral("place")),
                 QJsonDocument(body).toJson(QJsonDocument::Compact));
}

bool RankedClient::recover(const QString &game)
{
    const QString url = rankedAddress(server_, product_, QStringLiteral("game?id="))
                        + QString::fromLatin1(QUrl::toPercentEncoding(game));
    return begin(Kind::State, url, QByteArray());
}

bool RankedClient::begin(Kind kind, const QString &url, const QByteArray &body)
{
    if (request_)
        return false;
    request_ = Pending{kind, url, body, 0};
    waitSign_.start();
    send();
    return true;
}

void RankedClient::send()
{
    if (!request_)
        return;
    // A fresh component for every attempt: one given up may still be ending.
    dropFetch();
    fetch_ = new THTTPGet(this);
    fetch_->URL = request_->url;
    fetch_->AcceptTypes = QStringLiteral("application/json");
    fetch_->ContentType = QStringLiteral("application/json");
    fetch_->PostQuery = QString::fromUtf8(request_->body);
    fetch_->OnDoneString = [this](THTTPGet *fetch, const QByteArray &body) { replied(fetch, body); };
    fetch_->OnError = [this](THTTPGet *fetch) { failed(fetch, fetch->ErrorText()); };
    attemptTimeout_.start();
    fetch_->StartFetch();
}

void RankedClient::replied(THTTPGet *fetch, const QByteArray &body)
{
    if (fetch != fetch_ || !request_)
        return;
    const int status = fetch->StatusCode();
    // A refusal is a 4xx; busy, overloaded, gone for a moment or answered by
    // something else on the way (a 5xx, 408, 429, a redirect): the same
    // request again later.
    const bool refusal = status >= 400 && status <= 499 && status != 408 && status != 429;
    if (!fetch->Accepted() && !refusal) {
        failed(fetch, QStringLiteral("the server answered with status %1").arg(status));
        return;
    }
    if (refusal) {
        const Kind kind = request_->kind;
        finish();
        emit refused(kind, status, rankedRefusalText(body));
        return;
    }
    const Kind kind = request_->kind;
    if (kind == Kind::New) {
        if (const auto start = parseRankedStart(body)) {
            finish();
            emit started(*start);
            return;
        }
    } else if (kind == Kind::Place) {
        if (const auto placement = parseRankedPlacement(body)) {
            finish();
            emit placed(*placement);
            return;
        }
    } else if (const auto position = parseRankedPosition(body)) {
        finish();
        emit recovered(*position);
        return;
    }
    failed(fetch, QStringLiteral("the server's reply could not be read"));
}

void RankedClient::failed(THTTPGet *fetch, const QString &reason)
{
    if (fetch != fetch_ || !request_)
        return;
    attemptTimeout_.stop();
    const int delay = retryDelayMs(++request_->attempt);
    unreachable_ = true;
    retry_.start(delay);
    emit unreachableNow(reason, delay);
}

void RankedClient::finish()
{
    request_.reset();
    attemptTimeout_.stop();
    waitSign_.stop();
    retry_.stop();
    dropFetch();
    if (std::exchange(unreachable_, false))
        emit reached();
    if (std::exchange(waiting_, false))
        emit waitingChanged(false);
}

void RankedClient::cancel()
{
    if (request_)
        finish();
}

void RankedClient::dropFetch()
{
    if (!fetch_)
        return;
    // Its handlers stay (this may run inside one of them); they ignore a
    // fetch that is no longer the one under way.
    THTTPGet *fetch = std::exchange(fetch_, nullptr);
    fetch->AbortFetch();
    // Deleted from the event loop: this may run inside the fetch's own handler.
    fetch->deleteLater();
}
