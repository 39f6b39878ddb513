(* The evaluator's descriptors: the binary channel (descriptor 3), read by
 * the server thread itself, and the text channel (standard input and
 * output), whose input a thread of its own gathers into a buffer. Waits
 * that an interrupt can end cleanly, whole writes that no interrupt can cut
 * in half, and an immediate exit when tolq closes either channel. *)

(* Ending the process at once. OS.Process.exit waits for the run-time's
 * threads to wind down (about a second), and tolq kills an evaluator that
 * has not gone after one second; _exit ends it at once. It is looked up
 * when needed: foreign functions looked up while the program was built are
 * not valid in the running process. *)
structure TolqExit =
struct
  fun now (code : int) : 'a =
      ((Foreign.buildCall1 (Foreign.getSymbol (Foreign.loadExecutable ()) "_exit",
                            Foreign.cInt, Foreign.cVoid) code handle _ => ());
       OS.Process.exit (if code = 0 then OS.Process.success else OS.Process.failure))
end

(* Sections of a thread that an interrupt must not cut: the thread defers
 * interrupts inside them, and a deferred interrupt is raised when the
 * outermost section ends, or earlier at a checkpoint (a wait), unless a
 * hold (a message being read or written) keeps it off. *)
structure TolqDefer =
struct
  structure T = Thread.Thread

  type counts = {depth : int ref, holds : int ref, outer : T.interruptState ref}

  val countsTag : counts Universal.tag = Universal.tag ()

  fun counts () : counts =
      case T.getLocal countsTag of
        SOME c => c
      | NONE => let val c = {depth = ref 0, holds = ref 0, outer = ref T.InterruptSynch}
                in T.setLocal (countsTag, c); c end

  fun stateOf () =
      case List.find (fn T.InterruptState _ => true | _ => false) (T.getAttributes ()) of
        SOME (T.InterruptState s) => s
      | _ => T.InterruptSynch

  fun enter () =
      let val {depth, outer, ...} = counts ()
      in if !depth = 0 then (outer := stateOf (); T.setAttributes [T.InterruptState T.InterruptDefer])
         else ();
         depth := !depth + 1
      end

  fun leave () =
      let val {depth, outer, ...} = counts ()
      in depth := !depth - 1;
         if !depth = 0 then T.setAttributes [T.InterruptState (!outer)] else ()
      end

  fun section f =
      let val () = enter ()
          val r = f () handle e => (leave (); raise e)
      in leave (); r end

  (* Runs f with mutex m held, in a section. *)
  fun locked m f =
      section (fn () =>
        (Thread.Mutex.lock m;
         (f () handle e => (Thread.Mutex.unlock m; raise e)) before Thread.Mutex.unlock m))

  fun hold f =
      let val {holds, ...} = counts ()
          val () = holds := !holds + 1
          val r = section f handle e => (holds := !holds - 1; raise e)
      in holds := !holds - 1; r end

  (* Whether a wait here may end in an interrupt: inside sections of code
   * that is otherwise interruptible, and no hold. *)
  fun canCheckpoint () =
      let val {depth, holds, outer} = counts ()
      in !depth > 0 andalso !holds = 0 andalso !outer <> T.InterruptDefer end

  (* Inside sections, lets an interrupt that is waiting through, unless a
   * hold keeps it off or the thread defers interrupts anyway. *)
  fun checkpoint () =
      if canCheckpoint ()
      then (T.setAttributes [T.InterruptState T.InterruptSynch];
            T.testInterrupt ();
            T.setAttributes [T.InterruptState T.InterruptDefer])
      else ()

  fun setState s = T.setAttributes [T.InterruptState s]

  (* Runs f with interrupts let through at any point (the thread otherwise
   * defers them); NONE when an interrupt ended f. With clearStale an
   * interrupt that was waiting from before is dropped first. *)
  fun interruptible (clearStale : bool) (f : unit -> 'a) : 'a option =
      let val {depth, holds, outer} = counts ()
          val saved = (!depth, !holds, !outer)
          fun restore () = (depth := #1 saved; holds := #2 saved; outer := #3 saved)
          val () = if clearStale
                   then (setState T.InterruptSynch; T.testInterrupt () handle T.Interrupt => ())
                   else ()
          val () = (depth := 0; holds := 0; outer := T.InterruptAsynch)
          val result = (setState T.InterruptAsynch; SOME (f ()) before setState T.InterruptDefer)
                       handle T.Interrupt => (setState T.InterruptDefer; NONE)
                            | e => (setState T.InterruptDefer; restore (); raise e)
      in restore (); result end
end

(* The server: the thread that reads tolq's requests and runs the
 * evaluations. When an evaluation will not stop it is given up and a new
 * server takes over; the old thread may still run, but it must never touch
 * the channels again. *)
structure TolqServer =
struct
  val generationTag : int Universal.tag = Universal.tag ()
  val generation = ref 0
  val thread : Thread.Thread.thread option ref = ref NONE
  (* Starts a new server; set by the main loop. *)
  val start : (unit -> unit) ref = ref (fn () => ())

  fun adopt () = Thread.Thread.setLocal (generationTag, !generation)

  fun replaced () =
      case Thread.Thread.getLocal generationTag of
        SOME g => g <> !generation
      | NONE => false

  (* A replaced server ends here instead of touching the channels. *)
  fun checkCurrent () = if replaced () then Thread.Thread.exit () else ()
end

structure TolqChannel =
struct
  structure V = Word8Vector
  structure VS = Word8VectorSlice
  structure M = Thread.Mutex
  structure CV = Thread.ConditionVar

  (* Descriptor tokens are made at start and kept for the life of the
   * process: the run-time closes a descriptor whose token is collected. *)
  val noFd : Posix.IO.file_desc option = NONE
  val binFdRef = ref noFd
  val textInFdRef = ref noFd
  val textOutFdRef = ref noFd

  fun fdOf r = case !r of SOME fd => fd | NONE => raise Fail "channel not opened"
  fun binFd () = fdOf binFdRef
  fun textOutFd () = fdOf textOutFdRef

  (* tolq went away: end at once. *)
  fun peerGone () = TolqExit.now 0

  fun interrupted (OS.SysErr (_, SOME e)) = e = Posix.Error.intr
    | interrupted _ = false

  fun retry f = f () handle e => if interrupted e then retry f else raise e

  (* An interrupt cannot abandon a message half written or half read. *)
  fun withoutInterrupt f = TolqDefer.hold f

  fun writeAll (fd, v : V.vector) =
      let fun go i =
              if i >= V.length v then ()
              else let val n = retry (fn () => Posix.IO.writeVec (fd, VS.slice (v, i, NONE)))
                   in go (i + n) end
      in go 0 handle OS.SysErr _ => peerGone () end

  (* Writes from several threads (an evaluation and the one that serves
   * tolq meanwhile) never interleave. *)
  val writeLock = M.mutex ()

  fun send (fd, parts : V.vector list) =
      withoutInterrupt (fn () =>
        let val v = V.concat parts
        in TolqDefer.locked writeLock (fn () =>
             (TolqServer.checkCurrent (); writeAll (fd, v)))
        end)

  (* ---- readers ---- *)

  (* Bytes received but not used yet, and the descriptor they come from.
   * The binary channel is filled by the server as it reads; standard input
   * by a thread of its own. Every field is used under lock. *)
  datatype filler = ByReader | ByThread

  type reader = {fd : Posix.IO.file_desc option ref, filler : filler,
                 buf : V.vector ref, pos : int ref}

  val lock = M.mutex ()
  val arrived = CV.conditionVar ()

  fun newReader (fd, filler) : reader = {fd = fd, filler = filler, buf = ref (V.fromList []), pos = ref 0}

  val bin = newReader (binFdRef, ByReader)
  val textIn = newReader (textInFdRef, ByThread)

  fun locked f = TolqDefer.locked lock f

  fun available ({buf, pos, ...} : reader) = V.length (!buf) - !pos

  fun buffered r = locked (fn () => available r)

  fun clear ({buf, pos, ...} : reader) = (buf := V.fromList []; pos := 0)

  fun reset r = locked (fn () => clear r)

  fun append ({buf, pos, ...} : reader, v : V.vector) =
      (buf := V.concat [VS.vector (VS.slice (!buf, !pos, NONE)), v]; pos := 0)

  (* Reads land in one array per filler, kept for the life of the process:
   * a fresh 64 KB buffer per read would be garbage at once, and touching
   * new memory for every message costs more than the message itself. *)
  val binSpace = Word8Array.array (65536, 0w0)
  val textSpace = Word8Array.array (65536, 0w0)

  fun readSome (fd, space) =
      let val n = retry (fn () => Posix.IO.readArr (fd, Word8ArraySlice.full space))
      in Word8ArraySlice.vector (Word8ArraySlice.slice (space, 0, SOME n)) end
      handle OS.SysErr _ => V.fromList []

  fun readyWithin (fd, limit) =
      TolqSignals.readable (SysWord.toInt (Posix.FileSys.fdToWord fd), Int.fromLarge (Time.toMilliseconds limit))

  (* Reads what has arrived, under the lock (so that a drain never misses
   * bytes already taken from the descriptor); end of file ends the
   * process. *)
  fun readArrived (fd, r : reader) =
      if readyWithin (fd, Time.zeroTime)
      then let val v = readSome (fd, textSpace)
           in if V.length v = 0 then peerGone () else (append (r, v); CV.broadcast arrived) end
      else ()

  (* The thread of standard input: everything read goes into the reader's
   * buffer; end of file or a broken descriptor ends the process. *)
  fun pump (fd, r : reader) () =
      (if readyWithin (fd, Time.fromSeconds 1) then locked (fn () => readArrived (fd, r)) else ();
       pump (fd, r) ())

  (* How long a waiting thread sleeps before it looks for an interrupt. *)
  val interruptPoll = Time.fromMilliseconds 20

  (* Waits until the reader holds at least n bytes. An interrupt ends the
   * wait unless the caller holds interrupts off. *)
  fun waitFor (r : reader, n : int) =
      let fun enough () = available r >= n
          fun loop () =
              if locked (fn () => enough () orelse
                                  (ignore (CV.waitUntil (arrived, lock, Time.+ (Time.now (), interruptPoll)));
                                   enough ()))
              then ()
              else (TolqDefer.section TolqDefer.checkpoint; loop ())
      in loop () end

  fun take (r as {buf, pos, ...} : reader, n : int) : V.vector =
      locked (fn () => VS.vector (VS.slice (!buf, !pos, SOME n)) before pos := !pos + n)

  (* The server reads the binary channel itself. A wait that an interrupt
   * may end looks for one between short waits. *)
  fun fillBin () =
      (TolqServer.checkCurrent ();
       if TolqDefer.canCheckpoint ()
       then while not (readyWithin (binFd (), interruptPoll)) do TolqDefer.section TolqDefer.checkpoint
       else ();
       TolqServer.checkCurrent ();
       let val v = readSome (binFd (), binSpace)
       in if V.length v = 0 then peerGone () else locked (fn () => append (bin, v)) end)

  (* Exactly n bytes. *)
  fun readBytes (r : reader, n : int) : V.vector =
      (case #filler r of
         ByReader => while buffered r < n do fillBin ()
       | ByThread => waitFor (r, n);
       take (r, n))

  fun readByte (r : reader) : Word8.word = V.sub (readBytes (r, 1), 0)

  (* Gives back the byte just read. *)
  fun unreadByte ({pos, ...} : reader) = locked (fn () => pos := !pos - 1)

  fun readWord r = TolqBytes.toWord (readBytes (r, 4), 0)

  (* Throws away what is buffered and whatever has already arrived: used
   * after a malformed message, whose end cannot be known, and for the
   * input of a request that failed before it read it. *)
  fun drain (r : reader) =
      case !(#fd r) of
        NONE => reset r
      | SOME fd =>
          let fun discard () =
                  if readyWithin (fd, Time.zeroTime) then (readArrived (fd, r); clear r; discard ())
                  else ()
          in locked (fn () => (clear r; discard ())) end

  (* Opens the descriptors and starts their readers; called once at start. *)
  fun start () =
      let val inFd = Posix.FileSys.wordToFD 0w0
          val binDesc = Posix.FileSys.wordToFD 0w3
      in binFdRef := SOME binDesc;
         textInFdRef := SOME inFd;
         textOutFdRef := SOME (Posix.FileSys.wordToFD 0w1);
         clear bin;
         clear textIn;
         ignore (Thread.Thread.fork (pump (inFd, textIn), []))
      end
end
