#include "tags/write_result.h"

// The texts are GBK bytes; the comment beside each gives it readably.
const char* WriteStatusText(WriteStatus status) {
  switch (status) {
    case WriteStatus::Written:
      return "\xd2\xd1\xd0\xb4\xc8\xeb";  // 已写入
    case WriteStatus::CannotOpen:
      return "\xce\xde\xb7\xa8\xb4\xf2\xbf\xaa\xce\xc4\xbc\xfe";  // 无法打开文件
    case WriteStatus::CannotRead:
      return "\xb6\xc1\xc8\xa1\xce\xc4\xbc\xfe\xb3\xf6\xb4\xed";  // 读取文件出错
    case WriteStatus::TooLarge:
      return "\xce\xc4\xbc\xfe\xcc\xab\xb4\xf3";  // 文件太大
    case WriteStatus::BadTag:
      return "\xb1\xea\xc7\xa9\xd2\xd1\xcb\xf0\xbb\xb5";  // 标签已损坏
    case WriteStatus::CannotWrite:
      return "\xce\xde\xb7\xa8\xd0\xb4\xc8\xeb\xce\xc4\xbc\xfe";  // 无法写入文件
  }
  return "";
}
