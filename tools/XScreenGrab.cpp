#include "tools/XScreenGrab.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <thread>

namespace watch {

namespace {

Picture PictureOf(const XImage* image) {
  if (image == nullptr || image->bits_per_pixel != 32) return {};
  return Picture{reinterpret_cast<const uint32_t*>(image->data), image->width, image->height,
                 static_cast<size_t>(image->bytes_per_line / 4)};
}

}  // namespace

std::unique_ptr<XScreenGrab> XScreenGrab::Open(std::string& error) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    error = "cannot open the X display";
    return nullptr;
  }
  if (!XShmQueryExtension(display)) {
    XCloseDisplay(display);
    error = "the X server has no shared-memory extension";
    return nullptr;
  }
  return std::unique_ptr<XScreenGrab>(new XScreenGrab(display));
}

XScreenGrab::~XScreenGrab() {
  ReleaseRegion();
  if (m_screen != nullptr) XDestroyImage(m_screen);
  XCloseDisplay(m_display);
}

Picture XScreenGrab::GrabScreen() {
  if (m_screen != nullptr) XDestroyImage(m_screen);
  const Window root = DefaultRootWindow(m_display);
  XWindowAttributes attributes{};
  XGetWindowAttributes(m_display, root, &attributes);
  m_screen = XGetImage(m_display, root, 0, 0, static_cast<unsigned>(attributes.width),
                       static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  return PictureOf(m_screen);
}

bool XScreenGrab::SelectRegion(const ScreenRect& region, std::string& error) {
  ReleaseRegion();
  const int screen = DefaultScreen(m_display);
  m_region = XShmCreateImage(m_display, DefaultVisual(m_display, screen),
                             static_cast<unsigned>(DefaultDepth(m_display, screen)), ZPixmap, nullptr, &m_shm,
                             static_cast<unsigned>(region.width), static_cast<unsigned>(region.height));
  if (m_region == nullptr) {
    error = "cannot create a shared-memory image";
    return false;
  }
  m_shm.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(m_region->bytes_per_line) * static_cast<size_t>(region.height),
                       IPC_CREAT | 0600);
  if (m_shm.shmid < 0) {
    error = "cannot create a shared-memory segment";
    ReleaseRegion();
    return false;
  }
  m_shm.shmaddr = m_region->data = static_cast<char*>(shmat(m_shm.shmid, nullptr, 0));
  // Marked for removal at once: it goes with the last detach, even after a crash.
  shmctl(m_shm.shmid, IPC_RMID, nullptr);
  m_shm.readOnly = False;
  if (m_shm.shmaddr == reinterpret_cast<char*>(-1) || !XShmAttach(m_display, &m_shm)) {
    error = "cannot share memory with the X server";
    ReleaseRegion();
    return false;
  }
  m_rect = region;
  return true;
}

Picture XScreenGrab::GrabRegion() {
  if (m_region == nullptr) return {};
  if (!XShmGetImage(m_display, DefaultRootWindow(m_display), m_region, m_rect.left, m_rect.top, AllPlanes)) return {};
  return PictureOf(m_region);
}

void XScreenGrab::CoverAndUncover(const ScreenRect& region, std::chrono::milliseconds duration) {
  const int screen = DefaultScreen(m_display);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;  // placed exactly there, whatever manages the windows
  attributes.background_pixel = BlackPixel(m_display, screen);
  const Window cover =
      XCreateWindow(m_display, DefaultRootWindow(m_display), region.left, region.top,
                    static_cast<unsigned>(region.width), static_cast<unsigned>(region.height), 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
  XMapRaised(m_display, cover);
  XSync(m_display, False);
  std::this_thread::sleep_for(duration);
  XDestroyWindow(m_display, cover);
  XSync(m_display, False);
}

void XScreenGrab::ReleaseRegion() {
  if (m_region == nullptr) return;
  if (m_shm.shmaddr != nullptr && m_shm.shmaddr != reinterpret_cast<char*>(-1)) {
    XShmDetach(m_display, &m_shm);
    XSync(m_display, False);
    shmdt(m_shm.shmaddr);
  }
  m_region->data = nullptr;
  XDestroyImage(m_region);
  m_region = nullptr;
  m_shm = XShmSegmentInfo{};
}

}  // namespace watch
