#include <algorithm>
#include <cstring>

#include "platform/memory/memory_state.h"

namespace qv::mem {

RegValue* RegNode::FindValue(std::string_view valueName) {
  for (RegValue& v : values)
    if (EqualNoCase(v.name, valueName)) return &v;
  return nullptr;
}

RegNode& MakeKey(MemoryMachine::State& s, RegKey root, std::string_view path) {
  RegNode* node = &s.registry[root];
  std::vector<std::string> names;
  SplitKeyPath(path, names);
  for (const std::string& name : names) {
    auto [it, inserted] = node->children.try_emplace(FoldCase(name));
    if (inserted) {
      it->second.name = name;
      it->second.id = s.NewId();
    }
    node = &it->second;
  }
  return *node;
}

RegNode* FindKey(MemoryMachine::State& s, RegKey root, std::string_view path) {
  auto it = s.registry.find(root);
  if (it == s.registry.end()) return nullptr;
  RegNode* node = &it->second;
  std::vector<std::string> names;
  SplitKeyPath(path, names);
  for (const std::string& name : names) {
    auto c = node->children.find(FoldCase(name));
    if (c == node->children.end()) return nullptr;
    node = &c->second;
  }
  return node;
}

void PutValue(RegNode& key, std::string_view name, std::uint32_t type,
              std::vector<std::uint8_t> data) {
  if (RegValue* v = key.FindValue(name)) {
    v->type = type;
    v->data = std::move(data);
  } else {
    key.values.push_back(RegValue{std::string(name), type, std::move(data)});
  }
}

void PutString(RegNode& key, std::string_view name, std::string_view text, std::uint32_t type) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  PutValue(key, name, type, std::move(data));
}

namespace {

// HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
const std::vector<std::string>& ClassesPath() {
  static const std::vector<std::string> path{"SOFTWARE", "CLASSES"};
  return path;
}

bool KnownRoot(RegKey root) {
  return root == hkey::ClassesRoot || root == hkey::CurrentUser || root == hkey::LocalMachine ||
         root == hkey::Users || root == hkey::CurrentConfig || root == hkey::DynData;
}

}  // namespace

bool MemoryRegistry::MayWrite(RegKey root) const {
  return root != hkey::LocalMachine || s_.setup.administrator;
}

RegNode* MemoryRegistry::Find(RegKey root, const std::vector<std::string>& path) {
  auto r = s_.registry.find(root);
  if (r == s_.registry.end()) return nullptr;
  RegNode* node = &r->second;
  for (const std::string& name : path) {
    auto c = node->children.find(name);
    if (c == node->children.end()) return nullptr;
    node = &c->second;
  }
  return node;
}

WinError MemoryRegistry::Resolve(RegKey key, Target& target, RegNode*& node) {
  if (hkey::IsRoot(key)) {
    if (!KnownRoot(key)) return err::InvalidHandle;
    if (key == hkey::DynData && s_.setup.kind == okWinNT) return err::InvalidHandle;
    target = Target{};
    if (key == hkey::ClassesRoot) {
      target.root = hkey::LocalMachine;
      target.path = ClassesPath();
    } else {
      target.root = key;
    }
    target.write = MayWrite(target.root);
    node = Find(target.root, target.path);
    return node ? err::Success : err::FileNotFound;
  }
  auto it = s_.keys.find(key);
  if (it == s_.keys.end()) return err::InvalidHandle;
  target.root = it->second.root;
  target.path = it->second.path;
  target.write = it->second.write;
  node = Find(target.root, target.path);
  if (!node || node->id != it->second.id) return err::KeyDeleted;
  return err::Success;
}

WinError MemoryRegistry::Walk(const Target& base, std::string_view subKey, Target& target,
                              std::vector<std::string>& spelled) {
  WinError e = SplitKeyPath(subKey, spelled);
  if (e != err::Success) return e;
  target = base;
  for (const std::string& name : spelled) {
    if (name.size() > 255) return err::InvalidParameter;
    target.path.push_back(FoldCase(name));
  }
  return err::Success;
}

RegKey MemoryRegistry::NewHandle(const Target& target, std::uint64_t id) {
  RegKey h = s_.nextHandle++;
  s_.keys[h] = OpenKeyRecord{target.root, target.path, id, target.write};
  return h;
}

WinError MemoryRegistry::OpenKey(RegKey parent, std::string_view subKey, RegAccess access,
                                 RegKey& result) {
  std::lock_guard g(s_.lock);
  Target base, target;
  RegNode* node = nullptr;
  WinError e = Resolve(parent, base, node);
  if (e != err::Success) return e;
  std::vector<std::string> spelled;
  if ((e = Walk(base, subKey, target, spelled)) != err::Success) return e;
  node = Find(target.root, target.path);
  if (!node) return err::FileNotFound;
  bool write = access == RegAccess::Full;
  if (write && !MayWrite(target.root)) return err::AccessDenied;
  target.write = write;
  result = NewHandle(target, node->id);
  return err::Success;
}

WinError MemoryRegistry::CreateKey(RegKey parent, std::string_view subKey, RegKey& result,
                                   bool* created) {
  std::lock_guard g(s_.lock);
  if (WinError fault = CountRegistryWrite(s_.faults); fault != err::Success) return fault;
  Target base, target;
  RegNode* node = nullptr;
  WinError e = Resolve(parent, base, node);
  if (e != err::Success) return e;
  std::vector<std::string> spelled;
  if ((e = Walk(base, subKey, target, spelled)) != err::Success) return e;
  if (!MayWrite(target.root)) return err::AccessDenied;
  bool isNew = false;
  for (const std::string& name : spelled) {
    auto [it, inserted] = node->children.try_emplace(FoldCase(name));
    if (inserted) {
      it->second.name = name;
      it->second.id = s_.NewId();
      isNew = true;
    }
    node = &it->second;
  }
  if (created) *created = isNew;
  target.write = true;
  result = NewHandle(target, node->id);
  return err::Success;
}

WinError MemoryRegistry::CloseKey(RegKey key) {
  std::lock_guard g(s_.lock);
  if (hkey::IsRoot(key)) return err::Success;
  return s_.keys.erase(key) ? err::Success : err::InvalidHandle;
}

WinError MemoryRegistry::QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                                    std::uint8_t* data, std::uint32_t* size) {
  std::lock_guard g(s_.lock);
  Target t;
  RegNode* node = nullptr;
  WinError e = Resolve(key, t, node);
  if (e != err::Success) return e;
  if (data && !size) return err::InvalidParameter;
  RegValue* v = node->FindValue(name);
  if (!v) return err::FileNotFound;
  if (type) *type = v->type;
  auto len = static_cast<std::uint32_t>(v->data.size());
  if (data) {
    if (*size < len) {
      *size = len;
      return err::MoreData;
    }
    if (len) std::memcpy(data, v->data.data(), len);
  }
  if (size) *size = len;
  return err::Success;
}

WinError MemoryRegistry::SetValue(RegKey key, std::string_view name, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t size) {
  std::lock_guard g(s_.lock);
  if (WinError fault = CountRegistryWrite(s_.faults); fault != err::Success) return fault;
  Target t;
  RegNode* node = nullptr;
  WinError e = Resolve(key, t, node);
  if (e != err::Success) return e;
  if (!t.write) return err::AccessDenied;
  if (size && !data) return err::InvalidParameter;
  RegValue* v = node->FindValue(name);
  if (!v) {
    node->values.push_back(RegValue{std::string(name), 0, {}});
    v = &node->values.back();
  }
  v->type = type;
  v->data.assign(data, data + size);
  return err::Success;
}

WinError MemoryRegistry::DeleteValue(RegKey key, std::string_view name) {
  std::lock_guard g(s_.lock);
  if (WinError fault = CountRegistryWrite(s_.faults); fault != err::Success) return fault;
  Target t;
  RegNode* node = nullptr;
  WinError e = Resolve(key, t, node);
  if (e != err::Success) return e;
  if (!t.write) return err::AccessDenied;
  auto it = std::find_if(node->values.begin(), node->values.end(),
                         [&](const RegValue& v) { return EqualNoCase(v.name, name); });
  if (it == node->values.end()) return err::FileNotFound;
  node->values.erase(it);
  return err::Success;
}

WinError MemoryRegistry::DeleteKey(RegKey parent, std::string_view subKey) {
  std::lock_guard g(s_.lock);
  if (WinError fault = CountRegistryWrite(s_.faults); fault != err::Success) return fault;
  Target base, target;
  RegNode* node = nullptr;
  WinError e = Resolve(parent, base, node);
  if (e != err::Success) return e;
  std::vector<std::string> spelled;
  if ((e = Walk(base, subKey, target, spelled)) != err::Success) return e;
  if (target.path.empty()) return err::AccessDenied;  // a root cannot go
  RegNode* victim = Find(target.root, target.path);
  if (!victim) return err::FileNotFound;
  if (!MayWrite(target.root)) return err::AccessDenied;
  // Windows NT deletes only keys without sub keys; Windows 95/98 take the
  // whole tree.
  if (!victim->children.empty() && s_.setup.kind == okWinNT) return err::AccessDenied;
  std::vector<std::string> parentPath(target.path.begin(), target.path.end() - 1);
  RegNode* owner = Find(target.root, parentPath);
  owner->children.erase(target.path.back());
  return err::Success;
}

WinError MemoryRegistry::EnumKey(RegKey key, std::uint32_t index, std::string& name) {
  std::lock_guard g(s_.lock);
  Target t;
  RegNode* node = nullptr;
  WinError e = Resolve(key, t, node);
  if (e != err::Success) return e;
  if (index >= node->children.size()) return err::NoMoreItems;
  auto it = node->children.begin();
  std::advance(it, index);
  name = it->second.name;
  return err::Success;
}

WinError MemoryRegistry::EnumValue(RegKey key, std::uint32_t index, std::string& name,
                                   std::uint32_t* type, std::vector<std::uint8_t>* data) {
  std::lock_guard g(s_.lock);
  Target t;
  RegNode* node = nullptr;
  WinError e = Resolve(key, t, node);
  if (e != err::Success) return e;
  if (index >= node->values.size()) return err::NoMoreItems;
  const RegValue& v = node->values[index];
  name = v.name;
  if (type) *type = v.type;
  if (data) *data = v.data;
  return err::Success;
}

WinError MemoryRegistry::QueryInfoKey(RegKey key, std::uint32_t* subKeys, std::uint32_t* values) {
  std::lock_guard g(s_.lock);
  Target t;
  RegNode* node = nullptr;
  WinError e = Resolve(key, t, node);
  if (e != err::Success) return e;
  if (subKeys) *subKeys = static_cast<std::uint32_t>(node->children.size());
  if (values) *values = static_cast<std::uint32_t>(node->values.size());
  return err::Success;
}

}  // namespace qv::mem
