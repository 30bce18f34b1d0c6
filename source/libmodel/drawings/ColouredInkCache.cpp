#include "drawings/ColouredInkCache.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <cstring>
#include <list>

namespace Model {

namespace {

// Enough for the coloured ink of a few hundred full-HD drawings of average
// reach: every frame and backlight neighbour of a flip through a scene.
constexpr qint64 budgetBytes = 256 * 1024 * 1024;

struct Key
{
    quint64 owner = 0;
    quint64 version = 0;
    size_t table = 0;
    bool premultiplied = true;

    bool operator==(Key const& other) const
    {
        return owner == other.owner && version == other.version && table == other.table
               && premultiplied == other.premultiplied;
    }
};

size_t qHash(Key const& key, size_t seed = 0)
{
    return qHashMulti(seed, key.owner, key.version, key.table, key.premultiplied);
}

struct Entry
{
    Key key;
    ColouredInkCache::Table table; // compared on a hit: hashes may collide
    ColouredInk ink;
};

struct Cache
{
    QMutex mutex;
    std::list<Entry> entries; // most recently used first
    QHash<Key, std::list<Entry>::iterator> index;
    qint64 bytes = 0;

    void erase(std::list<Entry>::iterator it)
    {
        bytes -= it->ink.sizeInBytes();
        index.remove(it->key);
        entries.erase(it);
    }
};

Cache& cache()
{
    static Cache instance;
    return instance;
}

Key keyOf(quint64 owner, quint64 version, ColouredInkCache::Table const& table, bool premultiplied)
{
    return {owner, version, qHashBits(table.data(), sizeof(table)), premultiplied};
}

} // namespace

quint64 ColouredInkCache::newNumber()
{
    static std::atomic<quint64> next{1};
    return next++;
}

ColouredInk ColouredInkCache::find(quint64 owner, quint64 version, Table const& table,
                                   bool premultiplied)
{
    Cache& c = cache();
    QMutexLocker lock(&c.mutex);
    auto const found = c.index.constFind(keyOf(owner, version, table, premultiplied));
    if (found == c.index.constEnd() || found.value()->table != table)
        return ColouredInk();
    c.entries.splice(c.entries.begin(), c.entries, found.value());
    return c.entries.front().ink;
}

void ColouredInkCache::insert(quint64 owner, quint64 version, Table const& table,
                              bool premultiplied, ColouredInk const& ink)
{
    if (ink.isNull() || ink.sizeInBytes() > budgetBytes / 4)
        return;
    Cache& c = cache();
    QMutexLocker lock(&c.mutex);
    Key const key = keyOf(owner, version, table, premultiplied);
    if (auto const found = c.index.constFind(key); found != c.index.constEnd())
        c.erase(found.value());
    c.entries.push_front({key, table, ink});
    c.index.insert(key, c.entries.begin());
    c.bytes += ink.sizeInBytes();
    while (c.bytes > budgetBytes && !c.entries.empty())
        c.erase(std::prev(c.entries.end()));
}

void ColouredInkCache::remove(quint64 owner)
{
    Cache& c = cache();
    QMutexLocker lock(&c.mutex);
    for (auto it = c.entries.begin(); it != c.entries.end();) {
        auto const next = std::next(it);
        if (it->key.owner == owner)
            c.erase(it);
        it = next;
    }
}

qint64 ColouredInkCache::budget()
{
    return budgetBytes;
}

} // namespace Model
