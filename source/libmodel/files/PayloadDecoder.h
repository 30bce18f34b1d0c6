#pragma once

#include "files/SceneFileOutline.h"

#include <QByteArray>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Model {

// Decodes the base64 payloads of a scene document on the other cores while
// the reader walks the document's structure, a bounded number ahead of it so
// that the decoded bytes waiting never take much memory. The reader takes the
// payloads in document order, skipping any; a payload no helper has started
// yet is decoded on the reader's own thread. Small documents are decoded on
// the reader's thread only.
class PayloadDecoder
{
public:
    explicit PayloadDecoder(SceneFileOutline const& outline);
    PayloadDecoder(PayloadDecoder const&) = delete;
    PayloadDecoder& operator=(PayloadDecoder const&) = delete;
    ~PayloadDecoder();

    // The bytes of payload index, false when it is no base64. Indices must
    // grow from call to call; the payloads passed over are dropped.
    bool take(int index, QByteArray* bytes);

private:
    struct Slot
    {
        bool claimed = false;
        bool done = false;
        bool valid = false;
        bool passedBy = false; // the reader went past without it
        QByteArray bytes;
    };

    void work();
    // The next payload a helper may start, or -1 when there is none yet;
    // called with the lock held.
    int claimNext();
    bool decode(int index, QByteArray* bytes) const;

    SceneFileOutline const& m_outline;
    std::vector<Slot> m_slots;
    int m_next = 0;   // the first payload not claimed
    int m_wanted = 0; // the first payload the reader may still take
    int m_ahead = 0;  // how far past m_wanted the helpers may go
    bool m_stopping = false;
    std::mutex m_mutex;
    std::condition_variable m_workable; // helpers wait here for room ahead
    std::condition_variable m_decoded;  // the reader waits here for its payload
    std::vector<std::thread> m_helpers;
};

} // namespace Model
