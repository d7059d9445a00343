#pragma once

// What port discovery needs of the system's device registry: the local machine's keys, read
// only. The calls and their result codes are those of the Win32 registry functions, so the
// Windows side only forwards them and the logic decides what each code means.
class Registry {
 public:
  using Key = void*;
  static constexpr long kSuccess = 0;       // ERROR_SUCCESS
  static constexpr long kMoreData = 234;    // ERROR_MORE_DATA: the buffer was too small
  static constexpr long kNoMoreItems = 259; // ERROR_NO_MORE_ITEMS: the index is past the end

  // Opens a key of the local machine for reading; *key is set only on success.
  virtual long OpenMachineKey(const char* path, Key* key) = 0;
  // The name of the key's subkey at index, as RegEnumKeyExA: *nameSize holds the buffer's
  // size with room for the terminating zero, and on success the name's length without it.
  virtual long EnumKey(Key key, unsigned long index, char* name, unsigned long* nameSize) = 0;
  // The name of the key's value at index, as RegEnumValueA (sizes as for EnumKey).
  virtual long EnumValue(Key key, unsigned long index, char* name, unsigned long* nameSize) = 0;
  // The data of the named value, as RegQueryValueExA: *dataSize holds the buffer's size in
  // bytes, and on success the data's size. Text data may come without a terminating zero.
  virtual long QueryValue(Key key, const char* valueName, unsigned char* data,
                          unsigned long* dataSize) = 0;
  virtual void CloseKey(Key key) = 0;

 protected:
  ~Registry() = default;
};
