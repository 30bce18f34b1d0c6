#pragma once

#include "files/SceneFileOutline.h"

#include <QByteArray>

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace Model {

// Decodes the base64 payloads of a scene document on the other cores while
// the reader walks the document's structure, ahead of it by a bounded number
// of bytes so that the decoded payloads waiting never take much memory. The
// reader takes the payloads in document order, skipping any; a payload no
// helper has started yet is decoded on the reader's own thread. Small
// documents are decoded on the reader's thread only.
//
// Whatever a decoding throws (no memory for the bytes) is thrown by take()
// on the reader's thread, wherever the payload was decoded.
class PayloadDecoder
{
public:
    // Decodes one payload's text; false when it is no base64.
    using Decode = std::function<bool(char const* text, qsizetype size, QByteArray* bytes)>;

    // The decoded bytes helpers may hold or be making at once; a payload
    // larger than that is still decoded ahead, but alone.
    static constexpr qsizetype defaultAheadBytes = qsizetype(64) << 20;

    explicit PayloadDecoder(SceneFileOutline const& outline,
                            qsizetype aheadBytes = defaultAheadBytes);
    PayloadDecoder(PayloadDecoder const&) = delete;
    PayloadDecoder& operator=(PayloadDecoder const&) = delete;
    ~PayloadDecoder();

    // The bytes of payload index, false when it is no base64. Indices must
    // grow from call to call; the payloads passed over are dropped.
    bool take(int index, QByteArray* bytes);

    // For tests: decode payloads with another function (one that fails as a
    // lack of memory would) in every decoder made afterwards; an empty one
    // restores base64 decoding.
    static void setDecodeForTesting(Decode decode);

private:
    struct Slot
    {
        bool claimed = false;
        bool done = false;
        bool valid = false;
        bool passedBy = false; // the reader went past without it
        qsizetype held = 0;    // counted against m_aheadBytes while a helper has it
        QByteArray bytes;
        std::exception_ptr failure;
    };

    void work();
    // The next payload a helper may start, or -1 when there is none yet;
    // called with the lock held.
    int claimNext();
    // Gives back the room a helper's payload took; called with the lock held.
    void release(Slot& slot);
    bool decode(int index, QByteArray* bytes) const;

    SceneFileOutline const& m_outline;
    Decode m_decode;
    qsizetype m_aheadBytes;
    std::vector<Slot> m_slots;
    int m_next = 0;        // the first payload not claimed
    int m_wanted = 0;      // the first payload the reader may still take
    qsizetype m_held = 0;  // decoded bytes helpers hold or are making
    bool m_stopping = false;
    std::mutex m_mutex;
    std::condition_variable m_workable; // helpers wait here for room ahead
    std::condition_variable m_decoded;  // the reader waits here for its payload
    std::vector<std::thread> m_helpers;
};

} // namespace Model
