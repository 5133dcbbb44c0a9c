#include "catalogue/office_version.h"

#include <windows.h>
#include <oleauto.h>

#include <utility>

#include "platform/com_ptr.h"
#include "platform/table.h"

namespace catalogue {

namespace {

struct Generation {
  const wchar_t* marker;  // looked for anywhere in the version text
  const wchar_t* name;
  const wchar_t* number;
};

// Searched in this order, so a text with an "8" anywhere is taken for Office 97.
constexpr Generation kGenerations[] = {
    {L"8", L"Office97", L"8.0"},     {L"9", L"Office2000", L"9.0"},   {L"10", L"Office2002", L"10.0"},
    {L"11", L"Office2003", L"11.0"}, {L"12", L"Office2007", L"12.0"}, {L"14", L"Office2010", L"14.0"},
    {L"15", L"Office2013", L"15.0"}, {L"16", L"Office2016", L"16.0"},  // 2016, 2019, 2021, 2024 and 365
};

const std::function<WordProbe()>* installedFake = nullptr;

class Variant {
 public:
  Variant() { VariantInit(&raw_); }
  ~Variant() { VariantClear(&raw_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &raw_; }

 private:
  VARIANT raw_;
};

// A late-bound call without arguments.
HRESULT Invoke(IDispatch* object, const wchar_t* member, WORD kind, Variant& result) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS none = {};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &none, result.get(), nullptr, nullptr);
}

}  // namespace

WordProbe ProbeWordProcessor() {
  WordProbe probe;
  platform::ComApartment apartment;
  CLSID word{};
  if (FAILED(CLSIDFromProgID(L"Word.Application.8", &word))) return probe;
  platform::ComPtr<IDispatch> application;
  if (FAILED(CoCreateInstance(word, nullptr, CLSCTX_SERVER, IID_PPV_ARGS(application.out())))) return probe;
  probe.created = true;
  Variant version;
  if (SUCCEEDED(Invoke(application.get(), L"Version", DISPATCH_PROPERTYGET, version)) &&
      SUCCEEDED(VariantChangeType(version.get(), version.get(), 0, VT_BSTR))) {
    BSTR text = version.get()->bstrVal;
    probe.version.assign(text ? text : L"", text ? SysStringLen(text) : 0);
  }
  // The server was started for this question only.
  Variant ignored;
  Invoke(application.get(), L"Quit", DISPATCH_METHOD, ignored);
  return probe;
}

std::wstring GenerationName(const WordProbe& probe) {
  if (!probe.created) return L"NoOffice";
  for (const Generation& generation : kGenerations) {
    if (probe.version.find(generation.marker) != std::wstring::npos) return generation.name;
  }
  return L"";
}

std::wstring VersionNumber(const std::wstring& generation) {
  const Generation* known = platform::FindRow(kGenerations, &Generation::name, generation);
  return known ? known->number : L"";
}

std::wstring DetectOfficeVersion() { return GenerationName(installedFake ? (*installedFake)() : ProbeWordProcessor()); }

FakeWordProcessor::FakeWordProcessor(std::function<WordProbe()> probe)
    : probe_(std::move(probe)), previous_(std::exchange(installedFake, &probe_)) {}

FakeWordProcessor::~FakeWordProcessor() { installedFake = previous_; }

}  // namespace catalogue
