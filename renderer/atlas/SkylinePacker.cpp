#include "renderer/atlas/GlyphAtlasFont.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kInitialNodes = 256;

int insertNode(SkylinePacker* packer, int at, SkylineNode node)
{
  if (packer->nodeCount >= packer->nodeCapacity)
  {
    const int capacity = packer->nodeCapacity ? packer->nodeCapacity * 2 : 8;
    auto* nodes = static_cast<SkylineNode*>(std::realloc(packer->nodes, sizeof(SkylineNode) * size_t(capacity)));
    if (!nodes)
      return 0;
    packer->nodes = nodes;
    packer->nodeCapacity = capacity;
  }
  std::memmove(packer->nodes + at + 1, packer->nodes + at, sizeof(SkylineNode) * size_t(packer->nodeCount - at));
  packer->nodes[at] = node;
  ++packer->nodeCount;
  return 1;
}

void removeNode(SkylinePacker* packer, int at)
{
  std::memmove(packer->nodes + at, packer->nodes + at + 1, sizeof(SkylineNode) * size_t(packer->nodeCount - at - 1));
  --packer->nodeCount;
}

// The lowest row at which a w x h rectangle can rest on the skyline from node i on; -1 when it
// runs past the right or bottom edge.
int fitRow(const SkylinePacker* packer, int i, int w, int h)
{
  const SkylineNode* nodes = packer->nodes;
  if (nodes[i].x + w > packer->width)
    return -1;
  int y = nodes[i].y;
  for (int j = i, needed = w; needed > 0; ++j)
  {
    if (j == packer->nodeCount)
      return -1;
    if (nodes[j].y > y)
      y = nodes[j].y;
    if (y + h > packer->height)
      return -1;
    needed -= nodes[j].width;
  }
  return y;
}

}  // namespace

SkylinePacker* atlasPackerCreate(int width, int height)
{
  auto* packer = static_cast<SkylinePacker*>(std::calloc(1, sizeof(SkylinePacker)));
  if (!packer)
    return nullptr;
  packer->nodes = static_cast<SkylineNode*>(std::malloc(sizeof(SkylineNode) * kInitialNodes));
  if (!packer->nodes)
  {
    std::free(packer);
    return nullptr;
  }
  packer->nodeCapacity = kInitialNodes;
  atlasPackerReset(packer, width, height);
  return packer;
}

void atlasPackerDelete(SkylinePacker* packer)
{
  if (!packer)
    return;
  std::free(packer->nodes);
  std::free(packer);
}

void atlasPackerReset(SkylinePacker* packer, int width, int height)
{
  packer->width = width;
  packer->height = height;
  packer->nodeCount = 1;
  packer->nodes[0] = {0, 0, int16_t(width)};
}

int atlasPackerAppend(SkylinePacker* packer, SkylineNode node)
{
  return insertNode(packer, packer->nodeCount, node);
}

int atlasPackRect(SkylinePacker* packer, int width, int height, int* x, int* y)
{
  // Lowest far edge wins; on equal edges the narrower node, then the leftmost.
  int best = -1, bestY = 0;
  int bestEdge = packer->height, bestWidth = packer->width;
  for (int i = 0; i < packer->nodeCount; ++i)
  {
    const int row = fitRow(packer, i, width, height);
    if (row < 0)
      continue;
    const int edge = row + height;
    if (edge < bestEdge || (edge == bestEdge && packer->nodes[i].width < bestWidth))
    {
      best = i;
      bestY = row;
      bestEdge = edge;
      bestWidth = packer->nodes[i].width;
    }
  }
  if (best < 0)
    return 0;

  const int16_t left = packer->nodes[best].x;
  if (!insertNode(packer, best, {left, int16_t(bestY + height), int16_t(width)}))
    return 0;

  // The new node shadows the nodes it covers: trim or drop them.
  const int right = left + width;
  for (int i = best + 1; i < packer->nodeCount && packer->nodes[i].x < right;)
  {
    SkylineNode& node = packer->nodes[i];
    const int overlap = right - node.x;
    node.x = int16_t(node.x + overlap);
    node.width = int16_t(node.width - overlap);
    if (node.width > 0)
      break;
    removeNode(packer, i);
  }
  for (int i = 0; i < packer->nodeCount - 1;)
  {
    if (packer->nodes[i].y == packer->nodes[i + 1].y)
    {
      packer->nodes[i].width = int16_t(packer->nodes[i].width + packer->nodes[i + 1].width);
      removeNode(packer, i + 1);
    }
    else
    {
      ++i;
    }
  }
  *x = left;
  *y = bestY;
  return 1;
}
