// Work that only the main thread may do (windows, the renderer, message boxes), asked for by other
// threads.
//
// SDL wants its video and event calls on the thread that initialised it, while the game runs on a
// thread of its own and expects a window change or a box to be done when the call returns. A
// caller on another thread queues a request and waits; the main thread serves the queue from its
// pump. A caller on the main thread is served at once.
//
// When the pump ends, the main thread closes the queue before it joins the game thread: a request
// still waiting, and every request made after that, is cancelled at once instead of served, so the
// game thread can always finish the tick it is in and leave its loop.
#pragma once
#include "Engine/Common/Types.h"

struct SDL_mutex;
struct SDL_cond;

struct MainRequest {
    void (*serve)(void* data);  // runs on the main thread
    void (*cancel)(void* data); // runs on the caller's thread when the queue is closed
    void* data;
    MainRequest* next;
    bool done;      // served or cancelled: the caller may go on
    bool cancelled; // the queue was closed before the request was served
};

struct MainRequestQueue {
    SDL_mutex* lock;
    SDL_cond* finished;
    MainRequest* head;
    MainRequest* tail;
    unsigned long mainThread; // the SDL thread id of the thread that serves
    bool closed;
    void (*wake)(); // nudges the main thread when a request arrives (may be null)
};

// Makes the calling thread the one that serves. False when the lock could not be made; the queue
// then runs every request on the caller's thread.
bool OpenRequestQueue(MainRequestQueue* queue, void (*wake)());

// Frees the queue's lock; pending requests are cancelled first.
void DestroyRequestQueue(MainRequestQueue* queue);

// True on the serving thread, and everywhere while the queue is not open.
bool OnServingThread(const MainRequestQueue* queue);

// Runs serve(data) on the serving thread and returns when it has run, or runs cancel(data) here
// when the queue is closed (or is closed while the request waits).
void RunOnMainThread(MainRequestQueue* queue, void (*serve)(void*), void (*cancel)(void*), void* data);

// True while a request waits to be served.
bool RequestsWaiting(MainRequestQueue* queue);

// Serves every request waiting now (main thread). Requests that arrive meanwhile wait for the next
// call.
void ServeRequests(MainRequestQueue* queue);

// From now on nothing is served: waiting requests are cancelled, and later ones are cancelled at
// once (main thread, when the pump ends).
void CloseRequestQueue(MainRequestQueue* queue);
