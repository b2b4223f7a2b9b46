// Specified by the design, not used by the game: the 3D interfaces (the game leaves the sound
// library's 3D switched off). Parameters are validated and kept, deferred settings committed on
// request. Nothing is positioned: the mixer plays every buffer as it is.
#include <cmath>

#include "platform/dsound/internal.h"

namespace dsound::detail {

namespace {

bool Finite(const D3DVECTOR& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool NonZero(const D3DVECTOR& v) { return v.x != 0.0f || v.y != 0.0f || v.z != 0.0f; }

D3DVECTOR Vector(D3DVALUE x, D3DVALUE y, D3DVALUE z) { return D3DVECTOR{x, y, z}; }

// A change goes to the pending settings; an immediate one also to the settings in force.
// Either record must stay valid, or nothing changes.
template <class Params>
HRESULT ChangeParameters(Params& current, Params& deferred, DWORD apply,
                         const std::function<void(Params&)>& edit,
                         HRESULT (*validate)(const Params&)) {
  if (!ValidApply(apply)) {
    return DSERR_INVALIDPARAM;
  }
  Params pending = deferred;
  edit(pending);
  Params now = current;
  if (apply == DS3D_IMMEDIATE) {
    edit(now);
  }
  if (FAILED(validate(pending)) || FAILED(validate(now))) {
    return DSERR_INVALIDPARAM;
  }
  deferred = pending;
  current = now;
  return DS_OK;
}

}  // namespace

bool ValidApply(DWORD apply) { return apply == DS3D_IMMEDIATE || apply == DS3D_DEFERRED; }

DS3DBUFFER DefaultBuffer3D() {
  DS3DBUFFER params{};
  params.dwSize = sizeof(DS3DBUFFER);
  params.dwInsideConeAngle = DS3D_DEFAULTCONEANGLE;
  params.dwOutsideConeAngle = DS3D_DEFAULTCONEANGLE;
  params.vConeOrientation = Vector(0.0f, 0.0f, 1.0f);
  params.lConeOutsideVolume = DS3D_DEFAULTCONEOUTSIDEVOLUME;
  params.flMinDistance = DS3D_DEFAULTMINDISTANCE;
  params.flMaxDistance = DS3D_DEFAULTMAXDISTANCE;
  params.dwMode = DS3DMODE_NORMAL;
  return params;
}

DS3DLISTENER DefaultListener() {
  DS3DLISTENER params{};
  params.dwSize = sizeof(DS3DLISTENER);
  params.vOrientFront = Vector(0.0f, 0.0f, 1.0f);
  params.vOrientTop = Vector(0.0f, 1.0f, 0.0f);
  params.flDistanceFactor = DS3D_DEFAULTDISTANCEFACTOR;
  params.flRolloffFactor = DS3D_DEFAULTROLLOFFFACTOR;
  params.flDopplerFactor = DS3D_DEFAULTDOPPLERFACTOR;
  return params;
}

HRESULT ValidateBuffer3D(const DS3DBUFFER& p) {
  const bool valid =
      p.dwSize == sizeof(DS3DBUFFER) && Finite(p.vPosition) && Finite(p.vVelocity) &&
      Finite(p.vConeOrientation) && NonZero(p.vConeOrientation) &&
      p.dwInsideConeAngle <= DS3D_MAXCONEANGLE && p.dwOutsideConeAngle <= DS3D_MAXCONEANGLE &&
      p.dwInsideConeAngle <= p.dwOutsideConeAngle && p.lConeOutsideVolume >= DSBVOLUME_MIN &&
      p.lConeOutsideVolume <= DSBVOLUME_MAX && std::isfinite(p.flMinDistance) &&
      std::isfinite(p.flMaxDistance) && p.flMinDistance > 0.0f && p.flMaxDistance > 0.0f &&
      p.dwMode <= DS3DMODE_DISABLE;
  return valid ? DS_OK : DSERR_INVALIDPARAM;
}

HRESULT ValidateListener(const DS3DLISTENER& p) {
  const D3DVECTOR& f = p.vOrientFront;
  const D3DVECTOR& t = p.vOrientTop;
  const D3DVECTOR cross{f.y * t.z - f.z * t.y, f.z * t.x - f.x * t.z, f.x * t.y - f.y * t.x};
  const bool valid =
      p.dwSize == sizeof(DS3DLISTENER) && Finite(p.vPosition) && Finite(p.vVelocity) && Finite(f) &&
      Finite(t) && NonZero(f) && NonZero(t) &&
      NonZero(cross) &&  // front and top must not be parallel
      std::isfinite(p.flDistanceFactor) && p.flDistanceFactor > 0.0f &&
      p.flRolloffFactor >= DS3D_MINROLLOFFFACTOR && p.flRolloffFactor <= DS3D_MAXROLLOFFFACTOR &&
      p.flDopplerFactor >= DS3D_MINDOPPLERFACTOR && p.flDopplerFactor <= DS3D_MAXDOPPLERFACTOR;
  return valid ? DS_OK : DSERR_INVALIDPARAM;
}

// --- Buffer3D -------------------------------------------------------------------------------

HRESULT Buffer3D::QueryInterface(REFIID iid, void** object) {
  return owner_.QueryInterface(iid, object);
}
ULONG Buffer3D::AddRef() { return owner_.AddRef(); }
ULONG Buffer3D::Release() { return owner_.Release(); }

HRESULT Buffer3D::Change(DWORD apply, const std::function<void(DS3DBUFFER&)>& edit) {
  return ChangeParameters(current_, deferred_, apply, edit, ValidateBuffer3D);
}

HRESULT Buffer3D::GetAllParameters(DS3DBUFFER* buffer) {
  if (buffer == nullptr || buffer->dwSize != sizeof(DS3DBUFFER)) {
    return DSERR_INVALIDPARAM;
  }
  *buffer = current_;
  return DS_OK;
}

HRESULT Buffer3D::GetConeAngles(DWORD* inside, DWORD* outside) {
  if (inside == nullptr && outside == nullptr) {
    return DSERR_INVALIDPARAM;
  }
  if (inside != nullptr) *inside = current_.dwInsideConeAngle;
  if (outside != nullptr) *outside = current_.dwOutsideConeAngle;
  return DS_OK;
}

HRESULT Buffer3D::GetConeOrientation(D3DVECTOR* orientation) {
  return GetControl(orientation, current_.vConeOrientation);
}

HRESULT Buffer3D::GetConeOutsideVolume(LONG* volume) {
  return GetControl(volume, current_.lConeOutsideVolume);
}

HRESULT Buffer3D::GetMaxDistance(D3DVALUE* distance) {
  return GetControl(distance, current_.flMaxDistance);
}

HRESULT Buffer3D::GetMinDistance(D3DVALUE* distance) {
  return GetControl(distance, current_.flMinDistance);
}

HRESULT Buffer3D::GetMode(DWORD* mode) { return GetControl(mode, current_.dwMode); }

HRESULT Buffer3D::GetPosition(D3DVECTOR* position) {
  return GetControl(position, current_.vPosition);
}

HRESULT Buffer3D::GetVelocity(D3DVECTOR* velocity) {
  return GetControl(velocity, current_.vVelocity);
}

HRESULT Buffer3D::SetAllParameters(const DS3DBUFFER* buffer, DWORD apply) {
  if (buffer == nullptr) return DSERR_INVALIDPARAM;
  return Change(apply, [buffer](DS3DBUFFER& p) { p = *buffer; });
}

HRESULT Buffer3D::SetConeAngles(DWORD inside, DWORD outside, DWORD apply) {
  return Change(apply, [=](DS3DBUFFER& p) {
    p.dwInsideConeAngle = inside;
    p.dwOutsideConeAngle = outside;
  });
}

HRESULT Buffer3D::SetConeOrientation(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
  return Change(apply, [=](DS3DBUFFER& p) { p.vConeOrientation = Vector(x, y, z); });
}

HRESULT Buffer3D::SetConeOutsideVolume(LONG volume, DWORD apply) {
  return Change(apply, [=](DS3DBUFFER& p) { p.lConeOutsideVolume = volume; });
}

HRESULT Buffer3D::SetMaxDistance(D3DVALUE distance, DWORD apply) {
  return Change(apply, [=](DS3DBUFFER& p) { p.flMaxDistance = distance; });
}

HRESULT Buffer3D::SetMinDistance(D3DVALUE distance, DWORD apply) {
  return Change(apply, [=](DS3DBUFFER& p) { p.flMinDistance = distance; });
}

HRESULT Buffer3D::SetMode(DWORD mode, DWORD apply) {
  return Change(apply, [=](DS3DBUFFER& p) { p.dwMode = mode; });
}

HRESULT Buffer3D::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
  return Change(apply, [=](DS3DBUFFER& p) { p.vPosition = Vector(x, y, z); });
}

HRESULT Buffer3D::SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
  return Change(apply, [=](DS3DBUFFER& p) { p.vVelocity = Vector(x, y, z); });
}

// --- Listener -------------------------------------------------------------------------------

HRESULT Listener::QueryInterface(REFIID iid, void** object) {
  return owner_.QueryInterface(iid, object);
}
ULONG Listener::AddRef() { return owner_.AddRef(); }
ULONG Listener::Release() { return owner_.Release(); }

HRESULT Listener::Change(DWORD apply, const std::function<void(DS3DLISTENER&)>& edit) {
  return ChangeParameters(current_, deferred_, apply, edit, ValidateListener);
}

HRESULT Listener::GetAllParameters(DS3DLISTENER* listener) {
  if (listener == nullptr || listener->dwSize != sizeof(DS3DLISTENER)) {
    return DSERR_INVALIDPARAM;
  }
  *listener = current_;
  return DS_OK;
}

HRESULT Listener::GetDistanceFactor(D3DVALUE* factor) {
  return GetControl(factor, current_.flDistanceFactor);
}

HRESULT Listener::GetDopplerFactor(D3DVALUE* factor) {
  return GetControl(factor, current_.flDopplerFactor);
}

HRESULT Listener::GetOrientation(D3DVECTOR* front, D3DVECTOR* top) {
  if (front == nullptr || top == nullptr) return DSERR_INVALIDPARAM;
  *front = current_.vOrientFront;
  *top = current_.vOrientTop;
  return DS_OK;
}

HRESULT Listener::GetPosition(D3DVECTOR* position) {
  return GetControl(position, current_.vPosition);
}

HRESULT Listener::GetRolloffFactor(D3DVALUE* factor) {
  return GetControl(factor, current_.flRolloffFactor);
}

HRESULT Listener::GetVelocity(D3DVECTOR* velocity) {
  return GetControl(velocity, current_.vVelocity);
}

HRESULT Listener::SetAllParameters(const DS3DLISTENER* listener, DWORD apply) {
  if (listener == nullptr) return DSERR_INVALIDPARAM;
  return Change(apply, [listener](DS3DLISTENER& p) { p = *listener; });
}

HRESULT Listener::SetDistanceFactor(D3DVALUE factor, DWORD apply) {
  return Change(apply, [=](DS3DLISTENER& p) { p.flDistanceFactor = factor; });
}

HRESULT Listener::SetDopplerFactor(D3DVALUE factor, DWORD apply) {
  return Change(apply, [=](DS3DLISTENER& p) { p.flDopplerFactor = factor; });
}

HRESULT Listener::SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop,
                                 D3DVALUE yTop, D3DVALUE zTop, DWORD apply) {
  return Change(apply, [=](DS3DLISTENER& p) {
    p.vOrientFront = Vector(xFront, yFront, zFront);
    p.vOrientTop = Vector(xTop, yTop, zTop);
  });
}

HRESULT Listener::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
  return Change(apply, [=](DS3DLISTENER& p) { p.vPosition = Vector(x, y, z); });
}

HRESULT Listener::SetRolloffFactor(D3DVALUE factor, DWORD apply) {
  return Change(apply, [=](DS3DLISTENER& p) { p.flRolloffFactor = factor; });
}

HRESULT Listener::SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
  return Change(apply, [=](DS3DLISTENER& p) { p.vVelocity = Vector(x, y, z); });
}

HRESULT Listener::CommitDeferredSettings() {
  // A commit applies the listener's and every 3D buffer's deferred settings together.
  current_ = deferred_;
  for (SoundBuffer* buffer : owner_.Core().buffers3D) {
    buffer->ThreeD()->Commit();
  }
  return DS_OK;
}

}  // namespace dsound::detail
