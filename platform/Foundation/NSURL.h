#pragma once
// URLs: web addresses checked for the characters a URL may hold, and file URLs of paths.

#include <memory>
#include <string>

class NSURL
{
public:
  // Null when the text cannot be a URL: a character that URLs do not allow (a space, for one),
  // or a "%" not followed by two hexadecimal digits.
  static std::shared_ptr<NSURL> URLWithString(const std::string& text);
  // A file URL of the path as it stands (no "~" expansion); null for an empty path.
  static std::shared_ptr<NSURL> fileURLWithPath(const std::string& path);

  bool isFileURL() const { return mFile; }
  std::string absoluteString() const { return mFile ? "file://" + mText : mText; }
  // The path of a file URL; the text of any other.
  const std::string& path() const { return mText; }

private:
  NSURL(std::string text, bool file) : mText(std::move(text)), mFile(file) {}

  std::string mText;
  bool mFile;
};
