#include "files/PayloadDecoder.h"

#include "files/Base64Decoder.h"

#include <QThread>

#include <algorithm>

namespace Model {

namespace {

// Below this much base64 starting threads costs more than it saves.
constexpr qsizetype parallelFrom = 4 * 1024 * 1024;
constexpr int helpersAtMost = 7;

} // namespace

PayloadDecoder::PayloadDecoder(SceneFileOutline const& outline)
    : m_outline(outline)
    , m_slots(size_t(outline.payloads().size()))
{
    qsizetype total = 0;
    for (SceneFileOutline::Payload const& payload : outline.payloads())
        total += payload.size;
    int const helpers = std::min(helpersAtMost, QThread::idealThreadCount() - 1);
    if (total < parallelFrom || helpers < 1)
        return;
    m_ahead = 4 * helpers;
    for (int i = 0; i < helpers; ++i)
        m_helpers.emplace_back([this] { work(); });
}

PayloadDecoder::~PayloadDecoder()
{
    {
        std::lock_guard<std::mutex> const lock(m_mutex);
        m_stopping = true;
    }
    m_workable.notify_all();
    for (std::thread& helper : m_helpers)
        helper.join();
}

bool PayloadDecoder::decode(int index, QByteArray* bytes) const
{
    SceneFileOutline::Payload const& payload = m_outline.payloads().at(index);
    return Base64Decoder::decode(m_outline.document().constData() + payload.begin, payload.size,
                                 bytes);
}

int PayloadDecoder::claimNext()
{
    m_next = std::max(m_next, m_wanted);
    if (m_next >= int(m_slots.size()) || m_next > m_wanted + m_ahead)
        return -1;
    m_slots[size_t(m_next)].claimed = true;
    return m_next++;
}

void PayloadDecoder::work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        int index = -1;
        m_workable.wait(lock, [&] { return m_stopping || (index = claimNext()) >= 0; });
        if (m_stopping)
            return;
        lock.unlock();
        QByteArray bytes;
        bool const valid = decode(index, &bytes);
        lock.lock();
        Slot& slot = m_slots[size_t(index)];
        if (!slot.passedBy) {
            slot.bytes = std::move(bytes);
            slot.valid = valid;
        }
        slot.done = true;
        m_decoded.notify_one();
    }
}

bool PayloadDecoder::take(int index, QByteArray* bytes)
{
    if (m_helpers.empty())
        return decode(index, bytes);

    std::unique_lock<std::mutex> lock(m_mutex);
    for (int i = m_wanted; i < index; ++i) {
        m_slots[size_t(i)].passedBy = true;
        m_slots[size_t(i)].bytes = QByteArray();
    }
    m_wanted = index + 1;
    Slot& slot = m_slots[size_t(index)];
    if (!slot.claimed) {
        slot.claimed = true;
        m_next = std::max(m_next, index + 1);
        lock.unlock();
        m_workable.notify_all();
        return decode(index, bytes);
    }
    m_workable.notify_all();
    m_decoded.wait(lock, [&] { return slot.done; });
    *bytes = std::move(slot.bytes);
    slot.bytes = QByteArray();
    return slot.valid;
}

} // namespace Model
