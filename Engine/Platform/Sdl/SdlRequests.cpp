#include "Engine/Platform/Sdl/SdlRequests.h"

#include <SDL.h>

bool OpenRequestQueue(MainRequestQueue* queue, void (*wake)())
{
    *queue = MainRequestQueue{};
    queue->mainThread = SDL_ThreadID();
    queue->wake = wake;
    queue->lock = SDL_CreateMutex();
    queue->finished = queue->lock ? SDL_CreateCond() : nullptr;
    if (!queue->finished) {
        if (queue->lock)
            SDL_DestroyMutex(queue->lock);
        queue->lock = nullptr;
        return false;
    }
    return true;
}

void DestroyRequestQueue(MainRequestQueue* queue)
{
    if (!queue->lock)
        return;
    CloseRequestQueue(queue);
    SDL_DestroyCond(queue->finished);
    SDL_DestroyMutex(queue->lock);
    queue->finished = nullptr;
    queue->lock = nullptr;
}

bool OnServingThread(const MainRequestQueue* queue)
{
    return !queue->lock || SDL_ThreadID() == queue->mainThread;
}

void RunOnMainThread(MainRequestQueue* queue, void (*serve)(void*), void (*cancel)(void*), void* data)
{
    if (OnServingThread(queue)) {
        serve(data);
        return;
    }
    MainRequest request{serve, cancel, data, nullptr, false, false};
    SDL_LockMutex(queue->lock);
    if (queue->closed) {
        SDL_UnlockMutex(queue->lock);
        if (cancel)
            cancel(data);
        return;
    }
    if (queue->tail)
        queue->tail->next = &request;
    else
        queue->head = &request;
    queue->tail = &request;
    SDL_UnlockMutex(queue->lock);

    if (queue->wake)
        queue->wake();

    SDL_LockMutex(queue->lock);
    while (!request.done)
        SDL_CondWait(queue->finished, queue->lock);
    const bool cancelled = request.cancelled;
    SDL_UnlockMutex(queue->lock);
    if (cancelled && cancel)
        cancel(data);
}

bool RequestsWaiting(MainRequestQueue* queue)
{
    if (!queue->lock)
        return false;
    SDL_LockMutex(queue->lock);
    const bool waiting = queue->head != nullptr;
    SDL_UnlockMutex(queue->lock);
    return waiting;
}

void ServeRequests(MainRequestQueue* queue)
{
    if (!queue->lock)
        return;
    SDL_LockMutex(queue->lock);
    MainRequest* request = queue->closed ? nullptr : queue->head;
    queue->head = queue->tail = nullptr;
    SDL_UnlockMutex(queue->lock);

    while (request) {
        // The record lives on the caller's stack: read the link before the caller is let go.
        MainRequest* next = request->next;
        request->serve(request->data);
        SDL_LockMutex(queue->lock);
        request->done = true;
        SDL_CondBroadcast(queue->finished);
        SDL_UnlockMutex(queue->lock);
        request = next;
    }
}

void CloseRequestQueue(MainRequestQueue* queue)
{
    if (!queue->lock)
        return;
    SDL_LockMutex(queue->lock);
    queue->closed = true;
    for (MainRequest* request = queue->head; request;) {
        MainRequest* next = request->next;
        request->cancelled = request->done = true;
        request = next;
    }
    queue->head = queue->tail = nullptr;
    SDL_CondBroadcast(queue->finished);
    SDL_UnlockMutex(queue->lock);
}
