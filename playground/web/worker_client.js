// The page's side of the worker: requests as promises, one at a time, and a
// watchdog. A request that gets no answer within the watchdog's time (a CSV
// file whose formula never reaches STOP, say) ends the worker; the request is
// answered with a message and a fresh worker takes the next one, so the page
// never waits on a run that does not end.

export const watchdogMessage = (seconds) =>
  `elaborazione interrotta dopo ${seconds} secondi senza risposta: la formula non arriva a STOP o i dati sono troppi`;

export class WorkerClient {
  constructor({ watchdogMilliseconds = 30000, onStateChange = () => {} } = {}) {
    this.watchdogMilliseconds = watchdogMilliseconds;
    this.onStateChange = onStateChange;
    this.nextId = 1;
    this.pending = null; // { id, resolve, timer }
    this.queue = [];
    this.start();
  }

  start() {
    // The page carries the worker's script as text: a page from file:// may
    // not start a worker from a file, but may from a blob.
    const source = document.getElementById("worker-source").textContent;
    const url = URL.createObjectURL(new Blob([source], { type: "text/javascript" }));
    this.worker = new Worker(url);
    URL.revokeObjectURL(url);
    this.ready = new Promise((resolve, reject) => {
      this.worker.onmessage = (event) => {
        if (event.data.ready) {
          this.worker.onmessage = (answer) => this.answered(answer.data);
          resolve();
        } else {
          reject(new Error(event.data.failure));
        }
      };
      this.worker.onerror = (event) => reject(new Error(event.message));
    });
  }

  // Resolves to { result, errors, milliseconds }; result.failure holds a
  // message when the request could not be carried out.
  request(kind, fields = {}, transfer = []) {
    return new Promise((resolve) => {
      this.queue.push({ message: { kind, ...fields }, transfer, resolve });
      this.pump();
    });
  }

  async pump() {
    if (this.pending || this.queue.length === 0) return;
    const { message, transfer, resolve } = this.queue.shift();
    const id = this.nextId++;
    this.pending = { id, resolve, timer: null };
    this.onStateChange("busy");
    try {
      await this.ready;
    } catch (error) {
      this.finish({ result: { failure: String(error) }, errors: [], milliseconds: 0 });
      return;
    }
    this.pending.timer = setTimeout(() => this.stopRunaway(), this.watchdogMilliseconds);
    this.worker.postMessage({ ...message, id }, transfer);
  }

  answered(answer) {
    if (!this.pending || answer.id !== this.pending.id) return;
    if (answer.result && answer.result.failure) this.restart();
    this.finish(answer);
  }

  stopRunaway() {
    this.restart();
    const seconds = Math.round(this.watchdogMilliseconds / 1000);
    this.finish({ result: { failure: watchdogMessage(seconds), stopped: true }, errors: [], milliseconds: this.watchdogMilliseconds });
  }

  restart() {
    this.worker.terminate();
    this.start();
  }

  finish(answer) {
    const { resolve, timer } = this.pending;
    clearTimeout(timer);
    this.pending = null;
    resolve(answer);
    if (this.queue.length) this.pump();
    else this.onStateChange("idle");
  }
}
