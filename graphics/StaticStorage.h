#pragma once

// A process-wide, reference-counted cache of loaded resources keyed by name and scale. The
// graphics objects alive hold the count; the last one to go empties the cache. Every access is
// made under the cache's recursive mutex, because the loaders call each other while holding it.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace iplug::igraphics {

template <class T>
class StaticStorage
{
public:
  class Accessor
  {
  public:
    explicit Accessor(StaticStorage& storage) : mStorage(storage), mLock(storage.mMutex) {}

    // The first entry whose name and scale match exactly; null when none does.
    T* Find(const char* name, double scale = 1.0) const { return mStorage.Find(name, scale); }
    // Appends an entry and takes ownership of data; an existing entry with the same key stays.
    void Add(T* data, const char* name, double scale = 1.0) { mStorage.Add(data, name, scale); }
    // Removes and deletes the entry holding data; nothing when none does.
    void Remove(T* data) { mStorage.Remove(data); }
    void Clear() { mStorage.Clear(); }
    void Retain() { ++mStorage.mCount; }
    // Drops one reference; the last one empties the cache.
    void Release()
    {
      if (--mStorage.mCount == 0)
      {
        mStorage.Clear();
      }
    }
    int Count() const { return mStorage.mCount; }
    int NEntries() const { return static_cast<int>(mStorage.mDatas.size()); }

  private:
    StaticStorage& mStorage;
    std::lock_guard<std::recursive_mutex> mLock;
  };

  StaticStorage() = default;
  StaticStorage(const StaticStorage&) = delete;
  StaticStorage& operator=(const StaticStorage&) = delete;
  ~StaticStorage() { Clear(); }

private:
  struct DataKey
  {
    uint64_t hash;
    std::string name;
    double scale;
    std::unique_ptr<T> data;
  };

  static uint64_t Hash(const char* name, double scale)
  {
    char suffix[32];
    std::snprintf(suffix, sizeof(suffix), "-%.1fx", scale);
    return std::hash<std::string>()(std::string(name) + suffix);
  }

  T* Find(const char* name, double scale) const
  {
    const uint64_t hash = Hash(name, scale);
    for (const auto& key : mDatas)
    {
      if (key->hash == hash && key->scale == scale && key->name == name)
      {
        return key->data.get();
      }
    }
    return nullptr;
  }

  void Add(T* data, const char* name, double scale)
  {
    std::unique_ptr<T> owned(data);
    mDatas.push_back(std::make_unique<DataKey>(DataKey{Hash(name, scale), name, scale, std::move(owned)}));
  }

  void Remove(T* data)
  {
    for (auto it = mDatas.begin(); it != mDatas.end(); ++it)
    {
      if ((*it)->data.get() == data)
      {
        mDatas.erase(it);
        return;
      }
    }
  }

  void Clear()
  {
    while (!mDatas.empty())
    {
      mDatas.pop_back();
    }
  }

  int mCount = 0;
  std::recursive_mutex mMutex;
  std::vector<std::unique_ptr<DataKey>> mDatas;
};

}  // namespace iplug::igraphics
