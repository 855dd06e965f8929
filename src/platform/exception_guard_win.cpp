// A frame-based structured exception handler made by hand, since g++ has no __try on i686:
// a registration record on the guarded function's stack is linked into the thread's handler
// chain (fs:0); the system calls its handler for any exception raised below it, and the
// handler unwinds the frames above it and jumps back to the guarded function with
// __builtin_longjmp. C++ exceptions (which g++ raises through its own unwinder, not the
// system's) are caught with an inner catch.
//
// The system accepts the handler as a handler of this image: the image carries no table of
// safe handlers and does not declare that it has none, so the dispatcher's image checks (XP
// SP2 and later) let any handler inside it run; the record itself lies on the thread's stack.
#include "platform/exception_guard.h"
#include "platform/win.h"

namespace hvn {
namespace {

#if !defined(__i386__)
#error "the exception guard is written for i686 (frame-based handlers in fs:0)"
#endif

// Layout fixed by the system: the first two fields are an EXCEPTION_REGISTRATION_RECORD.
struct GuardFrame {
  GuardFrame* volatile next;
  void* handler;
  void* jump_buffer[5];
  volatile DWORD code;
};

GuardFrame* ReadChainHead() {
  GuardFrame* head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

void WriteChainHead(GuardFrame* head) {
  asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

extern "C" EXCEPTION_DISPOSITION __cdecl HvnGuardHandler(EXCEPTION_RECORD* record,
                                                         void* establisher, CONTEXT*, void*) {
  // During an unwind started by someone else there is nothing for this frame to do.
  if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0)
    return ExceptionContinueSearch;
  GuardFrame* frame = static_cast<GuardFrame*>(establisher);
  frame->code = record->ExceptionCode;
  // Give every handler record between the fault and this guard its unwind call, as the
  // system's own __except does: the chained provider's __finally blocks run and the locks
  // they release are free again. The unwind returns here with this record at the chain head.
  ::RtlUnwind(frame, nullptr, record, nullptr);
  __builtin_longjmp(frame->jump_buffer, 1);
}

// Kept out of line so that no C++ exception ever unwinds through RunGuarded's frame, whose
// handler record the C++ unwinder knows nothing about.
__attribute__((noinline)) void CallCatchingCpp(void (*body)(void*), void* context,
                                               volatile DWORD* code) {
  try {
    body(context);
  } catch (...) {
    *code = kCppExceptionCode;
  }
}

// Overwrites with zeros the part of this thread's stack below the stack pointer, down to the
// lowest committed address (the thread block's stack limit, fs:[8]). After a caught exception
// that is where the abandoned frames of the body lay, with whatever they held: password texts
// among them, whose clearing the jump skipped. One instruction sequence that touches no stack
// of its own, so nothing live lies in the range it writes.
inline void WipeStackBelow() {
  asm volatile(
      "movl %%fs:8, %%edi\n\t"
      "movl %%esp, %%ecx\n\t"
      "subl %%edi, %%ecx\n\t"
      "jbe 1f\n\t"
      "xorl %%eax, %%eax\n\t"
      "cld\n\t"
      "rep stosb\n"
      "1:"
      :
      :
      : "eax", "ecx", "edi", "memory", "cc");
}

}  // namespace

__attribute__((noinline)) uint32_t RunGuarded(void (*body)(void*), void* context) {
  GuardFrame frame;
  frame.handler = reinterpret_cast<void*>(&HvnGuardHandler);
  frame.code = 0;
  frame.next = ReadChainHead();
  if (__builtin_setjmp(frame.jump_buffer) == 0) {
    WriteChainHead(&frame);
    CallCatchingCpp(body, context, &frame.code);
  }
  // Both paths arrive here: the normal return and the handler's jump (after which the chain
  // head is this record again).
  WriteChainHead(frame.next);
  if (frame.code != 0) WipeStackBelow();
  return frame.code;
}

}  // namespace hvn
