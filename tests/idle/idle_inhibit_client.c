/* A Wayland client that shows a small window and holds an idle inhibitor on it
 * (zwp_idle_inhibit_manager_v1), as a video player does, for the idle watcher's end-to-end tests.
 * Prints "ready" once the window is shown and the inhibitor made, then runs until it is killed. */
#define _GNU_SOURCE
#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

enum { kWidth = 64, kHeight = 64 };

static struct wl_compositor* compositor;
static struct wl_shm* shm;
static struct xdg_wm_base* wmBase;
static struct zwp_idle_inhibit_manager_v1* inhibitManager;
static int configured;

static void OnGlobal(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version) {
    (void)data;
    (void)version;
    if (strcmp(interface, wl_compositor_interface.name) == 0) {
        compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 4);
    } else if (strcmp(interface, wl_shm_interface.name) == 0) {
        shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
    } else if (strcmp(interface, xdg_wm_base_interface.name) == 0) {
        wmBase = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
    } else if (strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0) {
        inhibitManager =
            wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1);
    }
}

static void OnGlobalRemove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener kRegistry = {OnGlobal, OnGlobalRemove};

static void OnPing(void* data, struct xdg_wm_base* base, uint32_t serial) {
    (void)data;
    xdg_wm_base_pong(base, serial);
}

static const struct xdg_wm_base_listener kWmBase = {OnPing};

static void OnConfigure(void* data, struct xdg_surface* surface, uint32_t serial) {
    (void)data;
    xdg_surface_ack_configure(surface, serial);
    configured = 1;
}

static const struct xdg_surface_listener kSurface = {OnConfigure};

/* A grey buffer of kWidth x kHeight in shared memory. */
static struct wl_buffer* GreyBuffer(void) {
    const int stride = kWidth * 4;
    const int size = stride * kHeight;
    const int fd = memfd_create("idle-inhibit-client", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) != 0) {
        return NULL;
    }
    void* pixels = mmap(NULL, (size_t)size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        close(fd);
        return NULL;
    }
    memset(pixels, 0x80, (size_t)size);
    munmap(pixels, (size_t)size);
    struct wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
    struct wl_buffer* buffer =
        wl_shm_pool_create_buffer(pool, 0, kWidth, kHeight, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}

int main(void) {
    struct wl_display* display = wl_display_connect(NULL);
    if (display == NULL) {
        fputs("no Wayland compositor\n", stderr);
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistry, NULL);
    wl_display_roundtrip(display);
    if (compositor == NULL || shm == NULL || wmBase == NULL || inhibitManager == NULL) {
        fputs("the compositor lacks a protocol this client needs\n", stderr);
        return 1;
    }
    xdg_wm_base_add_listener(wmBase, &kWmBase, NULL);
    struct wl_surface* surface = wl_compositor_create_surface(compositor);
    struct xdg_surface* xdgSurface = xdg_wm_base_get_xdg_surface(wmBase, surface);
    xdg_surface_add_listener(xdgSurface, &kSurface, NULL);
    struct xdg_toplevel* toplevel = xdg_surface_get_toplevel(xdgSurface);
    xdg_toplevel_set_title(toplevel, "idle inhibitor");
    wl_surface_commit(surface);
    while (!configured && wl_display_dispatch(display) >= 0) {
    }
    struct wl_buffer* buffer = GreyBuffer();
    if (buffer == NULL) {
        fputs("no shared memory for the window\n", stderr);
        return 1;
    }
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage(surface, 0, 0, kWidth, kHeight);
    zwp_idle_inhibit_manager_v1_create_inhibitor(inhibitManager, surface);
    wl_surface_commit(surface);
    wl_display_roundtrip(display);
    puts("ready");
    fflush(stdout);
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}
