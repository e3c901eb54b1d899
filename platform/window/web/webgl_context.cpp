#include "platform/window/web/webgl_context.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <string>

#include "platform/thread/web/cooperative.h"

// ?webgl-limits=minimum in the page's address (any page that loads the program through
// web/page.js): the context of `handle` answers every MAX_* limit WebGL 2 defines, and the point
// and line ranges, with no more than WebGL 2's guaranteed minimum (OpenGL ES 3.0's; the viewport
// as large as the largest renderbuffer), and the sample counts of a format with none above
// MAX_SAMPLES. The answers change on the context object itself, so the program and Emscripten's
// glGetIntegerv alike see a browser that offers only the minimums. The wait timeouts and the
// recommended element counts (MAX_ELEMENTS_INDICES, MAX_ELEMENTS_VERTICES) have no minimum that
// would mean anything here: they stand as they are.
// Returns 1 when capped, 0 when the page does not ask, -1 for another value than "minimum", -2
// when Emscripten holds no context for `handle`.
// clang-format off
EM_JS(int, orrery_webgl_cap_limits, (int handle), {
    const search = typeof location !== 'undefined' && location.search ? location.search : "";
    const asked = new URLSearchParams(search).get('webgl-limits');
    if (asked === null) return 0;
    if (asked !== 'minimum') return -1;
    const context = GL.contexts[handle];
    const gl = context ? context.GLctx : null;
    if (!gl) return -2;
    const minimum = new Map([
        [0x0D33, 2048],   /* MAX_TEXTURE_SIZE */
        [0x84E8, 2048],   /* MAX_RENDERBUFFER_SIZE */
        [0x851C, 2048],   /* MAX_CUBE_MAP_TEXTURE_SIZE */
        [0x8073, 256],    /* MAX_3D_TEXTURE_SIZE */
        [0x88FF, 256],    /* MAX_ARRAY_TEXTURE_LAYERS */
        [0x84FD, 2.0],    /* MAX_TEXTURE_LOD_BIAS */
        [0x8D57, 4],      /* MAX_SAMPLES */
        [0x8824, 4],      /* MAX_DRAW_BUFFERS */
        [0x8CDF, 4],      /* MAX_COLOR_ATTACHMENTS */
        [0x8D6B, 16777215], /* MAX_ELEMENT_INDEX */
        [0x8869, 16],     /* MAX_VERTEX_ATTRIBS */
        [0x8DFB, 256],    /* MAX_VERTEX_UNIFORM_VECTORS */
        [0x8B4A, 1024],   /* MAX_VERTEX_UNIFORM_COMPONENTS */
        [0x8A2B, 12],     /* MAX_VERTEX_UNIFORM_BLOCKS */
        [0x9122, 64],     /* MAX_VERTEX_OUTPUT_COMPONENTS */
        [0x8B4C, 16],     /* MAX_VERTEX_TEXTURE_IMAGE_UNITS */
        [0x8DFD, 224],    /* MAX_FRAGMENT_UNIFORM_VECTORS */
        [0x8B49, 896],    /* MAX_FRAGMENT_UNIFORM_COMPONENTS */
        [0x8A2D, 12],     /* MAX_FRAGMENT_UNIFORM_BLOCKS */
        [0x9125, 60],     /* MAX_FRAGMENT_INPUT_COMPONENTS */
        [0x8872, 16],     /* MAX_TEXTURE_IMAGE_UNITS */
        [0x8B4D, 32],     /* MAX_COMBINED_TEXTURE_IMAGE_UNITS */
        [0x8DFC, 15],     /* MAX_VARYING_VECTORS */
        [0x8B4B, 60],     /* MAX_VARYING_COMPONENTS */
        [0x8905, 7],      /* MAX_PROGRAM_TEXEL_OFFSET */
        [0x8A2F, 24],     /* MAX_UNIFORM_BUFFER_BINDINGS */
        [0x8A30, 16384],  /* MAX_UNIFORM_BLOCK_SIZE */
        [0x8A2E, 24],     /* MAX_COMBINED_UNIFORM_BLOCKS */
        [0x8A31, 50176],  /* MAX_COMBINED_VERTEX_UNIFORM_COMPONENTS: 12 blocks of 16384 bytes and 1024 */
        [0x8A33, 50048],  /* MAX_COMBINED_FRAGMENT_UNIFORM_COMPONENTS: 12 blocks of 16384 bytes and 896 */
        [0x8C8A, 64],     /* MAX_TRANSFORM_FEEDBACK_INTERLEAVED_COMPONENTS */
        [0x8C8B, 4],      /* MAX_TRANSFORM_FEEDBACK_SEPARATE_ATTRIBS */
        [0x8C80, 4],      /* MAX_TRANSFORM_FEEDBACK_SEPARATE_COMPONENTS */
    ]);
    const pairs = new Map([
        [0x0D3A, 2048],   /* MAX_VIEWPORT_DIMS */
        [0x846E, 1],      /* ALIASED_LINE_WIDTH_RANGE */
        [0x846D, 1],      /* ALIASED_POINT_SIZE_RANGE */
    ]);
    const getParameter = gl.getParameter;
    gl.getParameter = function(name) {
        const value = getParameter.call(gl, name);
        if (minimum.has(name) && typeof value === 'number') return Math.min(value, minimum.get(name));
        if (pairs.has(name) && value && value.length === 2) {
            const most = pairs.get(name);
            const capped = new value.constructor(2);
            capped[0] = Math.min(value[0], most);
            capped[1] = Math.min(value[1], most);
            return capped;
        }
        return value;
    };
    const getInternalformatParameter = gl.getInternalformatParameter;
    gl.getInternalformatParameter = function(target, format, name) {
        const value = getInternalformatParameter.call(gl, target, format, name);
        if (name === 0x80A9 /* SAMPLES */ && value && typeof value.filter === 'function')
            return value.filter(function(samples) { return samples <= 4; });
        return value;
    };
    return 1;
});
// clang-format on

namespace platform::web {

namespace {

// Caps the limits the context of `handle` answers when the page's address asks for it (see
// orrery_webgl_cap_limits), and says so on stderr.
void CapLimitsWhenThePageAsks(EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle) {
    switch (orrery_webgl_cap_limits(static_cast<int>(handle))) {
        case 1:
            std::fprintf(stderr, "webgl_context: limits capped to WebGL 2's minimums (?webgl-limits=minimum)\n");
            break;
        case -1:
            std::fprintf(stderr, "webgl_context: ?webgl-limits takes only \"minimum\"; the browser's limits stand\n");
            break;
        case -2:
            std::fprintf(stderr, "webgl_context: no WebGL context %d to cap the limits of\n", static_cast<int>(handle));
            break;
        default: break;
    }
}

class WebGlContext final : public GlContext {
public:
    WebGlContext(EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle, std::string selector, std::function<void()> presented)
        : handle_(handle), selector_(std::move(selector)), presented_(std::move(presented)) {}
    ~WebGlContext() override {
        if (emscripten_webgl_get_current_context() == handle_) emscripten_webgl_make_context_current(0);
        emscripten_webgl_destroy_context(handle_);
    }

    bool MakeCurrent() override { return emscripten_webgl_make_context_current(handle_) == EMSCRIPTEN_RESULT_SUCCESS; }

    void SwapBuffers() override {
        // The browser shows the canvas when the page gets its turn: the frame is finished here.
        if (presented_) presented_();
        Yield();
    }

    void DrawableSize(int& width, int& height) const override {
        width = height = 0;
        emscripten_get_canvas_element_size(selector_.c_str(), &width, &height);
    }

private:
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle_;
    std::string selector_;
    std::function<void()> presented_;
};

}  // namespace

std::unique_ptr<GlContext> CreateWebGlContext(const char* selector, std::function<void()> presented) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // The device draws into its own back buffer and copies the finished frame into the canvas:
    // the canvas needs no depth, stencil or multisampling, and it keeps the last frame between
    // presents (the page and its tests may read it back).
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;
    attributes.enableExtensionsByDefault = EM_TRUE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle = emscripten_webgl_create_context(selector, &attributes);
    if (handle <= 0) {
        std::fprintf(stderr, "webgl_context: the browser gives canvas %s no WebGL 2 context (%d)\n", selector,
                     static_cast<int>(handle));
        return nullptr;
    }
    auto context = std::make_unique<WebGlContext>(handle, selector, std::move(presented));
    if (!context->MakeCurrent()) {
        std::fprintf(stderr, "webgl_context: the WebGL 2 context of canvas %s cannot be made current\n", selector);
        return nullptr;
    }
    CapLimitsWhenThePageAsks(handle);
    return context;
}

}  // namespace platform::web
