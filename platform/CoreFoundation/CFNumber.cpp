#include "platform/CoreFoundation/CFNumber.h"

#include "platform/CoreFoundation/CFObjects.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace platform {
namespace {

bool IsFloatType(CFNumberType type)
{
  return type == kCFNumberFloat32Type || type == kCFNumberFloat64Type || type == kCFNumberFloatType ||
         type == kCFNumberDoubleType;
}

// Byte size of a number type; 0 for an unknown type.
size_t SizeOf(CFNumberType type)
{
  switch (type)
  {
    case kCFNumberSInt8Type:
    case kCFNumberCharType: return 1;
    case kCFNumberSInt16Type:
    case kCFNumberShortType: return 2;
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
    case kCFNumberFloat32Type:
    case kCFNumberFloatType: return 4;
    case kCFNumberSInt64Type:
    case kCFNumberLongType:
    case kCFNumberLongLongType:
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
    case kCFNumberCFIndexType: return 8;
    default: return 0;
  }
}

class Number final : public CFObject
{
public:
  static constexpr CFTypeID kType = kTypeNumber;

  Number(CFNumberType type, int64_t integer, double real) : CFObject(kType), mType(type), mInteger(integer), mReal(real)
  {
  }

  bool Equals(const CFObject& other) const override
  {
    const auto& that = static_cast<const Number&>(other);
    return IsFloat() || that.IsFloat() ? AsDouble() == that.AsDouble() : mInteger == that.mInteger;
  }
  CFHashCode Hash() const override { return std::hash<double>{}(AsDouble()); }
  std::string Description() const override
  {
    if (!IsFloat())
      return std::to_string(mInteger);
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", mReal);
    return text;
  }

  bool IsFloat() const { return IsFloatType(mType); }
  double AsDouble() const { return IsFloat() ? mReal : static_cast<double>(mInteger); }

  const CFNumberType mType;
  const int64_t mInteger;
  const double mReal;
};

template <class T>
bool StoreInteger(int64_t value, void* out)
{
  const T converted = static_cast<T>(value);
  std::memcpy(out, &converted, sizeof converted);
  return static_cast<int64_t>(converted) == value;
}

template <class T>
bool StoreReal(double value, void* out)
{
  const T converted = static_cast<T>(value);
  std::memcpy(out, &converted, sizeof converted);
  return static_cast<double>(converted) == value || std::isnan(value);
}

// Integer from a real: truncated towards zero, saturated at the limits of int64.
int64_t Truncate(double value)
{
  if (std::isnan(value))
    return 0;
  if (value >= 9.2233720368547758e18)
    return std::numeric_limits<int64_t>::max();
  if (value <= -9.2233720368547758e18)
    return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

class Boolean_ final : public CFObject
{
public:
  static constexpr CFTypeID kType = kTypeBoolean;
  explicit Boolean_(bool value) : CFObject(kType), mValue(value) { MakeImmortal(); }
  std::string Description() const override { return mValue ? "true" : "false"; }
  const bool mValue;
};

}  // namespace
}  // namespace platform

using namespace platform;

CFTypeID CFNumberGetTypeID(void)
{
  return Number::kType;
}

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void* value)
{
  const size_t size = SizeOf(type);
  if (!value || size == 0)
    return nullptr;
  int64_t integer = 0;
  double real = 0.0;
  if (IsFloatType(type))
  {
    if (size == 4)
    {
      float f;
      std::memcpy(&f, value, 4);
      real = f;
    }
    else
      std::memcpy(&real, value, 8);
  }
  else
  {
    switch (size)
    {
      case 1:
      {
        int8_t v;
        std::memcpy(&v, value, 1);
        integer = v;
        break;
      }
      case 2:
      {
        int16_t v;
        std::memcpy(&v, value, 2);
        integer = v;
        break;
      }
      case 4:
      {
        int32_t v;
        std::memcpy(&v, value, 4);
        integer = v;
        break;
      }
      default: std::memcpy(&integer, value, 8); break;
    }
  }
  return reinterpret_cast<CFNumberRef>(new Number(type, integer, real));
}

Boolean CFNumberIsFloatType(CFNumberRef number)
{
  const Number* object = As<Number>(number);
  return object && object->IsFloat();
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value)
{
  const Number* object = As<Number>(number);
  const size_t size = SizeOf(type);
  if (!object || !value || size == 0)
    return false;
  if (IsFloatType(type))
    return size == 4 ? StoreReal<float>(object->AsDouble(), value) : StoreReal<double>(object->AsDouble(), value);
  const int64_t integer = object->IsFloat() ? Truncate(object->mReal) : object->mInteger;
  const bool exact = !object->IsFloat() || static_cast<double>(integer) == object->mReal;
  switch (size)
  {
    case 1: return StoreInteger<int8_t>(integer, value) && exact;
    case 2: return StoreInteger<int16_t>(integer, value) && exact;
    case 4: return StoreInteger<int32_t>(integer, value) && exact;
    default: return StoreInteger<int64_t>(integer, value) && exact;
  }
}

const CFBooleanRef kCFBooleanTrue = reinterpret_cast<CFBooleanRef>(new platform::Boolean_(true));
const CFBooleanRef kCFBooleanFalse = reinterpret_cast<CFBooleanRef>(new platform::Boolean_(false));

CFTypeID CFBooleanGetTypeID(void)
{
  return platform::Boolean_::kType;
}

Boolean CFBooleanGetValue(CFBooleanRef boolean)
{
  const auto* object = As<platform::Boolean_>(boolean);
  return object && object->mValue;
}
