#pragma once
// A growable list of pointers. It owns its items only when asked to: Delete and Empty destroy
// them on request, the destructor never does.

#include "framework/WDLHeapBuf.h"

#include <algorithm>

template <class T>
class WDL_PtrList
{
public:
  using DestroyFunc = void (*)(T*);

  T* const* GetList() const { return m_items.Get(); }
  int GetSize() const { return m_items.GetSize(); }

  // Null for an index outside the list.
  T* Get(int index) const { return index >= 0 && index < GetSize() ? GetList()[index] : nullptr; }

  // Appends an item; returns it, or null when the list could not grow (the item is not listed).
  T* Add(T* item)
  {
    const int n = GetSize();
    T** items = Resize(n + 1);
    if (!items || GetSize() != n + 1)
      return nullptr;
    items[n] = item;
    return item;
  }

  // Removes the item at index, moving the later items down; destroys it when asked.
  void Delete(int index, bool destroy = false, DestroyFunc destroyFunc = nullptr)
  {
    const int n = GetSize();
    if (index < 0 || index >= n)
      return;
    T** items = m_items.Get();
    T* item = items[index];
    std::memmove(items + index, items + index + 1, sizeof(T*) * static_cast<size_t>(n - index - 1));
    Resize(n - 1);
    if (destroy)
      Destroy(item, destroyFunc);
  }

  // Empties the list, keeping its allocation. When destroying, items go from the last to the
  // first, and the list no longer holds an item while it is destroyed.
  void Empty(bool destroy = false, DestroyFunc destroyFunc = nullptr)
  {
    if (destroy)
    {
      for (int i = GetSize() - 1; i >= 0; --i)
      {
        T* item = GetList()[i];
        Resize(i);
        Destroy(item, destroyFunc);
        i = std::min(i, GetSize());  // a destructor may have shortened the list further
      }
    }
    Resize(0);
  }

private:
  T** Resize(int count) { return m_items.Resize(count, false); }

  static void Destroy(T* item, DestroyFunc destroyFunc)
  {
    if (!item)
      return;
    if (destroyFunc)
      destroyFunc(item);
    else
      delete item;
  }

  WDL_TypedBuf<T*> m_items{4096};
};
