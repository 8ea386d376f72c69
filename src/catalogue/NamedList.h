#pragma once
// An ordered list of (name as written, record) pairs that owns its records, as the topic and
// item lists are: not sorted, looked up by name ignoring case, emptied last to first.
#include <QString>

#include <memory>
#include <utility>
#include <vector>

template <class T> class TNamedList {
public:
    int Count() const { return int(FItems.size()); }
    bool IsEmpty() const { return FItems.empty(); }
    const QString &Name(int i) const { return FItems[size_t(i)].first; }
    T *At(int i) const { return FItems[size_t(i)].second.get(); }
    int IndexOf(const QString &name) const {
        for (size_t i = 0; i < FItems.size(); ++i)
            if (FItems[i].first.compare(name, Qt::CaseInsensitive) == 0)
                return int(i);
        return -1;
    }
    void Add(const QString &name, std::unique_ptr<T> record) { FItems.emplace_back(name, std::move(record)); }
    void Clear() {
        while (!FItems.empty())
            FItems.pop_back();
    }

private:
    std::vector<std::pair<QString, std::unique_ptr<T>>> FItems;
};
