#include "files/prefix_radix.h"
#include <algorithm>
#include <array>
#include <barrier>
#include <pthread.h>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Eleven bits a pass (six passes, with counts that stay in the cache).
constexpr int kBits = 11, kPasses = (64 + kBits - 1) / kBits;
constexpr quint64 kMask = (1u << kBits) - 1;
using Counts = std::array<quint32, kMask + 1>;

unsigned digit(const PrefixedEntry& entry, int pass) {
    return unsigned((entry.prefix >> (kBits * pass)) & kMask);
}

// Every pass's counts over the whole range, in one read.
std::vector<Counts> countAll(const PrefixedEntry* first, const PrefixedEntry* last) {
    std::vector<Counts> counts(kPasses);
    for (const PrefixedEntry* entry = first; entry != last; ++entry)
        for (int pass = 0; pass < kPasses; ++pass)
            ++counts[size_t(pass)][digit(*entry, pass)];
    return counts;
}

// The passes whose digit is not the same in every entry: the others would move nothing.
std::vector<int> passesNeeded(const std::vector<Counts>& whole, const PrefixedEntry& any, size_t count) {
    std::vector<int> needed;
    for (int pass = 0; pass < kPasses; ++pass)
        if (whole[size_t(pass)][digit(any, pass)] != count)
            needed.push_back(pass);
    return needed;
}

void countDigits(const PrefixedEntry* first, const PrefixedEntry* last, int pass, Counts& counts) {
    counts.fill(0);
    for (const PrefixedEntry* entry = first; entry != last; ++entry)
        ++counts[digit(*entry, pass)];
}

void scatter(const PrefixedEntry* first, const PrefixedEntry* last, int pass, Counts& next,
             PrefixedEntry* to) {
    for (const PrefixedEntry* entry = first; entry != last; ++entry)
        to[next[digit(*entry, pass)]++] = *entry;
}

// Each of `parts` threads takes a slice of every pass: it counts its slice's digits, then, once all
// have counted, writes its entries of each digit after those of the slices before it, which keeps the
// sort stable.
class SlicedPasses {
  public:
    SlicedPasses(PrefixedEntry* first, PrefixedEntry* last, PrefixedEntry* spare, int parts)
        : data_(first), spare_(spare), count_(size_t(last - first)), parts_(parts),
          whole_(countAll(first, last)), passes_(passesNeeded(whole_, *first, count_)), sync_(parts) {}

    void run(int part) {
        const size_t begin = count_ * size_t(part) / size_t(parts_);
        const size_t end = count_ * size_t(part + 1) / size_t(parts_);
        PrefixedEntry* from = data_;
        PrefixedEntry* to = spare_;
        Counts next;
        for (const int pass : passes_) {
            if (parts_ == 1) // a pass moves entries but keeps the whole's counts
                counts_[0] = whole_[size_t(pass)];
            else
                countDigits(from + begin, from + end, pass, counts_[size_t(part)]);
            sync_.arrive_and_wait();
            quint32 at = 0;
            for (size_t d = 0; d <= kMask; ++d)
                for (int p = 0; p < parts_; ++p) {
                    if (p == part)
                        next[d] = at;
                    at += counts_[size_t(p)][d];
                }
            sync_.arrive_and_wait(); // every count read before the next pass counts again
            scatter(from + begin, from + end, pass, next, to);
            sync_.arrive_and_wait();
            std::swap(from, to);
        }
        if (from != data_)
            std::copy(from + begin, from + end, data_ + begin);
    }

  private:
    PrefixedEntry* data_;
    PrefixedEntry* spare_;
    size_t count_;
    int parts_;
    std::vector<Counts> whole_;
    std::vector<int> passes_;
    std::array<Counts, 2> counts_{};
    std::barrier<> sync_;
};

} // namespace

void sortByPrefix(PrefixedEntry* first, PrefixedEntry* last, PrefixedEntry* spare) {
    if (last - first < 2)
        return;
    if (size_t(last - first) < kTwoThreadSortEntries) {
        SlicedPasses(first, last, spare, 1).run(0);
        return;
    }
    SlicedPasses passes(first, last, spare, 2);
    std::thread helper([&passes] {
        pthread_setname_np(pthread_self(), "tolvane-sort");
        passes.run(1);
    });
    passes.run(0);
    helper.join();
}
