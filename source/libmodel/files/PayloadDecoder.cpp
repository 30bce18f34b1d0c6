#include "files/PayloadDecoder.h"

#include "files/Base64Decoder.h"

#include <QThread>

#include <algorithm>
#include <system_error>

namespace Model {

namespace {

// Below this much base64 starting threads costs more than it saves.
constexpr qsizetype parallelFrom = 4 * 1024 * 1024;
constexpr int helpersAtMost = 7;

PayloadDecoder::Decode& decodeForTesting()
{
    static PayloadDecoder::Decode decode;
    return decode;
}

} // namespace

PayloadDecoder::PayloadDecoder(SceneFileOutline const& outline, qsizetype aheadBytes)
    : m_outline(outline)
    , m_decode(decodeForTesting() ? decodeForTesting() : Decode(&Base64Decoder::decode))
    , m_aheadBytes(aheadBytes)
    , m_slots(size_t(outline.payloads().size()))
{
    qsizetype total = 0;
    for (SceneFileOutline::Payload const& payload : outline.payloads())
        total += payload.size;
    int const helpers = std::min(helpersAtMost, QThread::idealThreadCount() - 1);
    if (total < parallelFrom || helpers < 1)
        return;
    // Reserved first, so that nothing but starting a thread can throw while
    // some already run.
    m_helpers.reserve(size_t(helpers));
    try {
        for (int i = 0; i < helpers; ++i)
            m_helpers.emplace_back([this] { work(); });
    } catch (std::system_error const&) {
        // Fewer helpers, or none: the reader decodes what they do not.
    }
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

void PayloadDecoder::setDecodeForTesting(Decode decode)
{
    decodeForTesting() = std::move(decode);
}

bool PayloadDecoder::decode(int index, QByteArray* bytes) const
{
    SceneFileOutline::Payload const& payload = m_outline.payloads().at(index);
    return m_decode(m_outline.document().constData() + payload.begin, payload.size, bytes);
}

int PayloadDecoder::claimNext()
{
    m_next = std::max(m_next, m_wanted);
    if (m_next >= int(m_slots.size()))
        return -1;
    qsizetype const size = m_outline.payloads().at(m_next).size / 4 * 3;
    if (m_held > 0 && m_held + size > m_aheadBytes)
        return -1;
    Slot& slot = m_slots[size_t(m_next)];
    slot.claimed = true;
    slot.held = std::max<qsizetype>(size, 1);
    m_held += slot.held;
    return m_next++;
}

void PayloadDecoder::release(Slot& slot)
{
    slot.bytes = QByteArray();
    if (slot.held == 0)
        return;
    m_held -= slot.held;
    slot.held = 0;
    m_workable.notify_all();
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
        bool valid = false;
        std::exception_ptr failure;
        try {
            valid = decode(index, &bytes);
        } catch (...) {
            // Thrown on the reader's thread when it takes the payload, as if
            // it had decoded the payload itself.
            failure = std::current_exception();
        }
        lock.lock();
        Slot& slot = m_slots[size_t(index)];
        if (slot.passedBy) {
            release(slot);
        } else {
            slot.bytes = std::move(bytes);
            slot.valid = valid;
            slot.failure = failure;
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
        Slot& passed = m_slots[size_t(i)];
        passed.passedBy = true;
        // One still being decoded gives its room back when it is done.
        if (passed.done || !passed.claimed)
            release(passed);
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
    bool const valid = slot.valid;
    std::exception_ptr const failure = slot.failure;
    slot.failure = nullptr;
    release(slot);
    lock.unlock();
    if (failure)
        std::rethrow_exception(failure);
    return valid;
}

} // namespace Model
